#include "shell_ui.h"

#include "destination_dialog.h"
#include "disk_prompt.h"
#include "install_session.h"
#include "installer_log.h"
#include "messages.h"
#include "resource_ids.h"
#include "space_box.h"

namespace tarsik {

namespace {

ShellUi g_shellUi;

void ShowInstallerBox(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, g_shell.caption, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

}  // namespace

void UseShellUi() { SetInstallerUi(&g_shellUi); }

void ShellUi::ShowWarning(HWND owner, int messageId, const char* arg1, const char* arg2) {
    wchar_t text[kTextCapacity];
    FormatMessageText(text, kTextCapacity, messageId, arg1, arg2);
    LogMessage(messageId, text);
    MessageBeep(MB_ICONEXCLAMATION);
    ShowInstallerBox(owner, text);
}

void ShellUi::ShowBox(HWND owner, const wchar_t* text) {
    LogLine(text);
    ShowInstallerBox(owner, text);
}

void ShellUi::ShowSpaceBox(HWND owner, const char* text) {
    LogBytes(text, kInstallerCodePage);
    ShowSpaceMessage(owner, text);
}

void ShellUi::SetStatus(int messageId, const char* argument) {
    if (g_shell.mainDialog == nullptr) return;
    wchar_t text[kTextCapacity];
    FormatMessageText(text, kTextCapacity, messageId, argument, nullptr);
    // The idle prompt comes back at every click in the list: not a step of
    // a run.
    if (messageId != IDS_STATUS_IDLE) LogMessage(messageId, text);
    SetDlgItemTextW(g_shell.mainDialog, IDC_STATUS, text);
}

void ShellUi::ClearStatus() {
    if (g_shell.mainDialog != nullptr) SetDlgItemTextW(g_shell.mainDialog, IDC_STATUS, L"");
}

void ShellUi::SetBusyCursor(int on) {
    // No messages are handled while a file is copied: paint the status text
    // set just before now.
    if (g_shell.mainDialog != nullptr)
        RedrawWindow(g_shell.mainDialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SetCursor(LoadCursorA(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

int ShellUi::AskDestination(HWND owner, const char* prompt) {
    int confirmed = RunDestinationDialog(owner, prompt);
    wchar_t dir[kPathCapacity];
    if (confirmed)
        LogFormat(L"destination confirmed: %ls", Widen(dir, kPathCapacity, g_installSession.chosenDir, CP_ACP));
    else
        LogLine(L"destination dialog cancelled");
    return confirmed;
}

HFILE ShellUi::DiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode) {
    wchar_t text[kTextCapacity];
    FormatMessageText(text, kTextCapacity, IDS_INSERT_DISK, piece.diskLabel, piece.fileName);
    LogMessage(IDS_INSERT_DISK, text);
    HFILE file = RunDiskPrompt(owner, piece, mode);
    wchar_t dir[kPathCapacity];
    if (file != HFILE_ERROR)
        LogFormat(L"piece found in %ls", Widen(dir, kPathCapacity, g_installSession.sourceDir, CP_ACP));
    else
        LogLine(g_installSession.abortFlag ? L"disk prompt: Exit" : L"disk prompt: Cancel");
    return file;
}

int ShellUi::Confirm(HWND owner, const wchar_t* text) {
    LogLine(text);
    int answer = MessageBoxW(owner, text, g_shell.caption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_DEFBUTTON2);
    LogLine(answer == IDYES ? L"answered yes" : L"answered no");
    return answer == IDYES;
}

void ShellUi::Report(const wchar_t* line) { LogLine(line); }

}  // namespace tarsik

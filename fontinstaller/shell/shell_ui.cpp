#include "shell_ui.h"

#include "destination_dialog.h"
#include "disk_prompt.h"
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
    MessageBeep(MB_ICONEXCLAMATION);
    ShowInstallerBox(owner, text);
}

void ShellUi::ShowBox(HWND owner, const char* text) {
    wchar_t wide[kTextCapacity];
    WidenInstallerText(wide, kTextCapacity, text);
    ShowInstallerBox(owner, wide);
}

void ShellUi::ShowSpaceBox(HWND owner, const char* text) { ShowSpaceMessage(owner, text); }

void ShellUi::SetStatus(int messageId, const char* argument) {
    if (g_shell.mainDialog == nullptr) return;
    wchar_t text[kTextCapacity];
    FormatMessageText(text, kTextCapacity, messageId, argument, nullptr);
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

int ShellUi::AskDestination(HWND owner, const char* prompt) { return RunDestinationDialog(owner, prompt); }

HFILE ShellUi::DiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode) {
    return RunDiskPrompt(owner, piece, mode);
}

}  // namespace tarsik

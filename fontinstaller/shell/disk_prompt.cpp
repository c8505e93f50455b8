#include "disk_prompt.h"

#include "ansi_text.h"
#include "directory_field.h"
#include "file_transfer.h"
#include "installer_log.h"
#include "install_session.h"
#include "messages.h"
#include "resource_ids.h"

namespace tarsik {

namespace {

struct Prompt {
    const SourcePiece* piece;
    OpenMode mode;
};

void OnInit(HWND dialog, const Prompt& prompt) {
    wchar_t text[kTextCapacity];
    FormatMessageText(text, kTextCapacity, IDS_INSERT_DISK, prompt.piece->diskLabel, prompt.piece->fileName);
    SetDlgItemTextW(dialog, IDC_PROMPT, text);
    ShowDirectoryField(dialog, g_installSession.sourceDir);
}

void OnOk(HWND dialog, const Prompt& prompt) {
    // The typed directory serves every later piece, found here or not.
    ReadDirectoryField(dialog, g_installSession.sourceDir);
    char path[kPathCapacity];
    // A joined path that does not fit names some other file: not opened.
    int whole = JoinPath(path, sizeof path, g_installSession.sourceDir, prompt.piece->fileName);
    SetBusyCursor(1);
    HFILE file = whole ? OpenPieceFile(path, prompt.mode) : HFILE_ERROR;
    SetBusyCursor(0);
    if (file != HFILE_ERROR) {
        EndDialog(dialog, file);
        return;
    }
    wchar_t text[kTextCapacity];
    const TextArg arg = {path, CP_ACP};
    FormatText(text, kTextCapacity, "無法開啟檔案 %s !\n", &arg, 1);
    LogLine(text);
    MessageBoxW(dialog, text, g_shell.caption, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
    SetFocus(GetDlgItem(dialog, IDC_DIRECTORY));
}

INT_PTR CALLBACK DiskPromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* prompt = reinterpret_cast<Prompt*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInit(dialog, *reinterpret_cast<Prompt*>(lParam));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog, *prompt);
            return TRUE;
        case IDC_EXIT_INSTALL:
            g_installSession.abortFlag = 1;
            EndDialog(dialog, HFILE_ERROR);
            return TRUE;
        case IDCANCEL:  // also Esc and the close box
            EndDialog(dialog, HFILE_ERROR);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

HFILE RunDiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode) {
    Prompt prompt = {&piece, mode};
    INT_PTR result = DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_DISK_PROMPT), owner, DiskPromptProc,
                                     reinterpret_cast<LPARAM>(&prompt));
    return result > 0 ? static_cast<HFILE>(result) : HFILE_ERROR;
}

}  // namespace tarsik

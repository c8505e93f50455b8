#include "about_dialog.h"

#include "resource_ids.h"
#include "shell_state.h"

namespace tarsik {

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_BUILD_DATE, "Jul 18 1997");
        return TRUE;
    case WM_COMMAND:  // OK, Enter, Esc
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowAboutDialog(HWND owner) {
    DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace tarsik

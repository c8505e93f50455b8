// A second yardstick of the start-up benchmark: a program's own dialog
// template and resources, shown as a modal dialog with nothing done in it
// (no icon, texts, pictures or items; the chooser's window only takes its
// real size, 800 x 600). The program's time over this one's is what its own
// work costs; this one's over the bare window is what the dialog manager
// and the template's controls cost before the program does anything.
// Built once per program, with its template id (TEMPLATE_ID) and resources.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (WINDOW_WIDTH > 0) SetWindowPos(dialog, HWND_TOP, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, SWP_NOMOVE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(TEMPLATE_ID), nullptr, DialogProc, 0) == -1 ? 1 : 0;
}

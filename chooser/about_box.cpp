#include "about_box.h"

#include "resource_ids.h"

namespace orvane {

INT_PTR AboutBox::Run(HINSTANCE instance, HWND owner) { return RunModal(instance, IDD_ABOUTBOX, owner); }

INT_PTR AboutBox::DialogMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // OK, and Escape and the close box (both arrive as IDCANCEL).
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd_, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace orvane

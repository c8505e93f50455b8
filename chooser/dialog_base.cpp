#include "dialog_base.h"

namespace orvane {

namespace {

// WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC: the requests for a control's colours.
bool IsControlColourRequest(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// The messages other than WM_INITDIALOG whose result a dialog procedure
// returns as its own value.
bool ReturnsResultItself(UINT message) {
    return IsControlColourRequest(message) || message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
           message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

}  // namespace

INT_PTR DialogBase::DoModal() {
    return DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId_), parent_, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) get the default.
    if (self == nullptr) return FALSE;
    MessageResult result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    if (!result) return FALSE;
    // The dialog rule: these messages take their result as the procedure's
    // own; every other one that was handled returns TRUE, its result in
    // DWLP_MSGRESULT.
    if (ReturnsResultItself(message)) return static_cast<INT_PTR>(*result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

MessageResult DialogBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsControlColourRequest(message))
        return OnControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    if (message == WM_COMMAND) return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    return kNotHandled;
}

MessageResult DialogBase::OnCommand(WORD id, WORD, HWND) {
    // OK, and Escape and the close box (both arrive as IDCANCEL).
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(hwnd_, id);
        return 0;
    }
    return kNotHandled;
}

}  // namespace orvane

#include "dialog_base.h"

namespace orvane {

INT_PTR DialogBase::RunModal(HINSTANCE instance, int templateId, HWND owner) {
    instance_ = instance;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages that arrive before WM_INITDIALOG (WM_SETFONT and the like)
    // get the default processing.
    if (self == nullptr) return FALSE;
    INT_PTR result = self->DialogMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace orvane

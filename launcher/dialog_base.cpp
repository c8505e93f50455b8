#include "dialog_base.h"

namespace velmora {

namespace {

// The innermost modal dialog of this (the only) user-interface thread, and
// the message filter hook that feeds it.
DialogBase* g_running = nullptr;
HHOOK g_filter = nullptr;

}  // namespace

INT_PTR DialogBase::DoModal() {
    // The dialog manager's modal loop offers every message to WH_MSGFILTER
    // hooks (MSGF_DIALOGBOX) before it dispatches it.
    if (g_filter == nullptr) g_filter = SetWindowsHookExA(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
    outer_ = g_running;
    g_running = this;
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent_, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    g_running = outer_;
    if (g_running == nullptr && g_filter != nullptr) {
        UnhookWindowsHookEx(g_filter);
        g_filter = nullptr;
    }
    return result;
}

LRESULT CALLBACK DialogBase::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && g_running != nullptr && lParam != 0)
        g_running->PreTranslateMessage(*reinterpret_cast<const MSG*>(lParam));
    return CallNextHookEx(g_filter, code, wParam, lParam);
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        return self->Initialise();
    }
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) get the default.
    if (self == nullptr) return FALSE;
    INT_PTR result = self->DialogMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

BOOL DialogBase::Initialise() {
    RECT before = {}, after = {};
    GetWindowRect(hwnd_, &before);
    BOOL result = OnInitialise();
    if (hwnd_ != nullptr && parent_ == nullptr && GetWindowRect(hwnd_, &after) && EqualRect(&before, &after))
        CentreOnScreen();
    return result;
}

void DialogBase::CentreOnScreen() {
    RECT window;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetWindowRect(hwnd_, &window) ||
        !GetMonitorInfoA(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT& area = monitor.rcWork;
    int x = area.left + (area.right - area.left - (window.right - window.left)) / 2;
    int y = area.top + (area.bottom - area.top - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR DialogBase::Answer(LRESULT result) {
    SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR DialogBase::DialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsControlColourRequest(message)) return OnControlColour(message, wParam, lParam);
    if (message == WM_COMMAND) return OnCommand(wParam, lParam);
    return FALSE;
}

INT_PTR DialogBase::OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    // A colour brush is the answer itself, not a DWLP_MSGRESULT; 0 leaves the
    // system's colours.
    if (control == nullptr || control == hwnd_) return FALSE;
    return static_cast<INT_PTR>(SendMessageA(control, kReflectedBase + message, wParam, lParam));
}

INT_PTR DialogBase::OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control != nullptr && SendMessageA(control, kReflectedBase + WM_COMMAND, wParam, lParam) != 0) return TRUE;
    const WORD id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(hwnd_, id);
        return TRUE;
    }
    return FALSE;
}

}  // namespace velmora

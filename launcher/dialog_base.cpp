#include "dialog_base.h"

namespace velmora {

namespace {

// The innermost modal dialog of this (the only) user-interface thread, and
// the message filter hook that feeds it.
DialogBase* g_running = nullptr;
HHOOK g_filter = nullptr;

// The timer that tells when the dialog has painted: a timer's message comes
// only when no other message, and no paint, is left for the thread.
constexpr UINT_PTR kPaintedTimer = 0x7E1A;

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
    MessageResult result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    if (!result) return FALSE;
    // The dialog rule: these messages take their result as the procedure's
    // own; every other one that was handled returns TRUE, its result in
    // DWLP_MSGRESULT.
    if (ReturnsResultItself(message)) return static_cast<INT_PTR>(*result);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

BOOL DialogBase::Initialise() {
    RECT before = {}, after = {};
    GetWindowRect(hwnd_, &before);
    BOOL result = OnInitDialog();
    if (hwnd_ != nullptr && parent_ == nullptr && GetWindowRect(hwnd_, &after) && EqualRect(&before, &after))
        CentreOnScreen();
    if (hwnd_ != nullptr && parent_ == nullptr) {
        // The dialog manager gives the focus to the first control before it
        // shows the dialog, which activates the dialog while it is hidden;
        // showing a window that is already active then does not make it the
        // foreground window (so under Wine), and its title bar is drawn
        // inactive. A program started by the foreground program, as the
        // menu is, may take the foreground.
        SetForegroundWindow(hwnd_);
    }
    if (hwnd_ != nullptr) SetTimer(hwnd_, kPaintedTimer, USER_TIMER_MINIMUM, nullptr);
    return result;
}

void DialogBase::OnPaintedTimer() {
    // Not shown yet (a modal dialog shows when its queue first runs empty),
    // or something left to paint: the timer comes again.
    if (!IsWindowVisible(hwnd_) || GetUpdateRect(hwnd_, nullptr, FALSE)) return;
    KillTimer(hwnd_, kPaintedTimer);
    OnPainted();
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

MessageResult DialogBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPaintedTimer) {
        OnPaintedTimer();
        return 0;
    }
    if (IsControlColourRequest(message))
        return OnControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    if (message == WM_COMMAND) return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    return kNotHandled;
}

MessageResult DialogBase::OnControlColour(UINT message, HDC dc, HWND control) {
    // The control's answer is the brush; 0 leaves the system's colours.
    if (control == nullptr || control == hwnd_) return kNotHandled;
    return SendMessageA(control, kReflectedBase + message, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

MessageResult DialogBase::OnCommand(WORD id, WORD code, HWND control) {
    if (control != nullptr && SendMessageA(control, kReflectedBase + WM_COMMAND, MAKEWPARAM(id, code),
                                           reinterpret_cast<LPARAM>(control)) != 0)
        return 0;
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(hwnd_, id);
        return 0;
    }
    return kNotHandled;
}

}  // namespace velmora

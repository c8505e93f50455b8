#include "dialog_watch.h"

#include <windows.h>

#include <algorithm>

namespace vexatest {

namespace {

struct Watch {
    std::vector<SeenDialog> seen;
    std::vector<int> buttons;
    std::vector<HWND> handled;
};

Watch* g_watch = nullptr;

std::wstring TextOf(HWND window) {
    wchar_t text[1024];
    int n = GetWindowTextW(window, text, 1024);
    return std::wstring(text, n > 0 ? n : 0);
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    wchar_t cls[32];
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0) {
        std::wstring text = TextOf(child);
        if (!text.empty()) reinterpret_cast<SeenDialog*>(param)->texts.push_back(text);
    }
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
    wchar_t cls[32];
    GetClassNameW(window, cls, 32);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    Watch& w = *g_watch;
    if (std::find(w.handled.begin(), w.handled.end(), window) != w.handled.end()) return TRUE;
    w.handled.push_back(window);
    SeenDialog dialog;
    dialog.caption = TextOf(window);
    dialog.owner = GetWindow(window, GW_OWNER);
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&dialog));
    size_t n = w.seen.size();
    dialog.pressed = n < w.buttons.size() ? w.buttons[n] : IDOK;
    HWND button = GetDlgItem(window, dialog.pressed);
    if (button != nullptr) dialog.pressedText = TextOf(button);
    w.seen.push_back(dialog);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(dialog.pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, dialog.pressed)));
    return FALSE;
}

// Dialogs already open (a dialog under test that opens the boxes) are not
// answered.
BOOL CALLBACK NoteExisting(HWND window, LPARAM param) {
    reinterpret_cast<Watch*>(param)->handled.push_back(window);
    return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_watch) EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
}

}  // namespace

std::vector<SeenDialog> AnswerDialogs(const std::function<void()>& action, std::vector<int> buttons) {
    Watch watch;
    watch.buttons = std::move(buttons);
    EnumThreadWindows(GetCurrentThreadId(), NoteExisting, reinterpret_cast<LPARAM>(&watch));
    Watch* outer = g_watch;
    g_watch = &watch;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, OnTimer);
    action();
    KillTimer(nullptr, timer);
    g_watch = outer;
    return watch.seen;
}

}  // namespace vexatest

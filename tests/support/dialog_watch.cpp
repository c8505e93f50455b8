#include "dialog_watch.h"

#include <algorithm>
#include <utility>

namespace vexatest {

namespace {

struct Watch {
    std::function<int(HWND, size_t)> answer;  // the dialog and how many came before it
    std::vector<HWND> existing;
    size_t answered = 0;
    HWND last = nullptr;  // answered, and perhaps not gone yet
};

Watch* g_watch = nullptr;
std::function<void()> g_soon;  // see RunSoon

BOOL CALLBACK NoteExisting(HWND window, LPARAM param) {
    reinterpret_cast<Watch*>(param)->existing.push_back(window);
    return TRUE;
}

BOOL CALLBACK Offer(HWND window, LPARAM) {
    Watch& w = *g_watch;
    wchar_t cls[16];
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window) || window == w.last ||
        std::find(w.existing.begin(), w.existing.end(), window) != w.existing.end())
        return TRUE;
    w.last = window;
    int button = w.answer(window, w.answered++);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_watch) EnumThreadWindows(GetCurrentThreadId(), Offer, 0);
}

void Watching(const std::function<void()>& action, std::function<int(HWND, size_t)> answer) {
    Watch watch;
    watch.answer = std::move(answer);
    EnumThreadWindows(GetCurrentThreadId(), NoteExisting, reinterpret_cast<LPARAM>(&watch));
    Watch* outer = g_watch;
    g_watch = &watch;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, OnTimer);
    action();
    KillTimer(nullptr, timer);
    g_watch = outer;
}

void CALLBACK SoonTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> action = std::move(g_soon);
    g_soon = nullptr;
    if (action) action();
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    wchar_t cls[32];
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0) {
        std::wstring text = WindowText(child);
        if (!text.empty()) reinterpret_cast<SeenDialog*>(param)->texts.push_back(text);
    }
    return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
    wchar_t text[1024];
    int n = GetWindowTextW(window, text, 1024);
    return std::wstring(text, n > 0 ? n : 0);
}

RECT ChildRect(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void RunSoon(const std::function<void()>& action) {
    g_soon = action;
    SetTimer(nullptr, 0, 10, SoonTimer);
}

void RespondToDialogs(const std::function<void()>& action, std::vector<Responder> responders) {
    Watching(action,
             [&responders](HWND dialog, size_t n) { return n < responders.size() ? responders[n](dialog) : IDCANCEL; });
}

std::vector<SeenDialog> AnswerDialogs(const std::function<void()>& action, std::vector<int> buttons) {
    std::vector<SeenDialog> seen;
    Watching(action, [&](HWND window, size_t n) {
        SeenDialog dialog;
        dialog.caption = WindowText(window);
        dialog.owner = GetWindow(window, GW_OWNER);
        EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&dialog));
        dialog.pressed = n < buttons.size() ? buttons[n] : IDOK;
        if (HWND button = GetDlgItem(window, dialog.pressed)) dialog.pressedText = WindowText(button);
        seen.push_back(dialog);
        return dialog.pressed;
    });
    return seen;
}

}  // namespace vexatest

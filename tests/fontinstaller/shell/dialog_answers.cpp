#include "dialog_answers.h"

namespace shelltest {

namespace {

std::vector<Responder>* g_responders = nullptr;
size_t g_answered = 0;
HWND g_last = nullptr;  // answered, and perhaps not yet gone

BOOL CALLBACK Offer(HWND window, LPARAM) {
    wchar_t cls[16];
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window) || window == g_last)
        return TRUE;
    g_last = window;
    size_t n = g_answered++;
    int button = n < g_responders->size() ? (*g_responders)[n](window) : IDCANCEL;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_responders) EnumThreadWindows(GetCurrentThreadId(), Offer, 0);
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024];
    int n = GetWindowTextW(window, text, 1024);
    return std::wstring(text, n > 0 ? n : 0);
}

BOOL CALLBACK FindMessage(HWND child, LPARAM shown) {
    wchar_t cls[16];
    GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
    reinterpret_cast<Shown*>(shown)->text = TextOf(child);
    return FALSE;
}

}  // namespace

void RespondToDialogs(const std::function<void()>& action, std::vector<Responder> responders) {
    g_responders = &responders;
    g_answered = 0;
    g_last = nullptr;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, OnTimer);
    action();
    KillTimer(nullptr, timer);
    g_responders = nullptr;
}

Shown Read(HWND dialog) {
    Shown shown;
    shown.caption = TextOf(dialog);
    if (HWND prompt = GetDlgItem(dialog, 100))
        shown.text = TextOf(prompt);
    else
        EnumChildWindows(dialog, FindMessage, reinterpret_cast<LPARAM>(&shown));
    char field[1024] = "";
    GetDlgItemTextA(dialog, 101, field, sizeof field);
    shown.field = field;
    return shown;
}

Responder Answer(std::vector<Shown>* seen, int button, const char* typed) {
    std::string text = typed ? typed : "";
    return [seen, button, text, type = typed != nullptr](HWND dialog) {
        seen->push_back(Read(dialog));
        if (type) SetDlgItemTextA(dialog, 101, text.c_str());
        return button;
    };
}

}  // namespace shelltest

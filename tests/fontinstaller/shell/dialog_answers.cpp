#include "dialog_answers.h"

namespace shelltest {

namespace {

struct Session {
    std::vector<Responder> responders;
    size_t answered = 0;
    HWND last = nullptr;  // answered, and maybe not yet gone
};

Session* g_session = nullptr;

BOOL CALLBACK OfferDialog(HWND window, LPARAM) {
    wchar_t cls[16];
    GetClassNameW(window, cls, 16);
    Session& s = *g_session;
    // A dialog that stays after its answer (it showed a box) is answered
    // again once it is enabled again.
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window) || window == s.last)
        return TRUE;
    size_t n = s.answered++;
    s.last = window;
    int button = n < s.responders.size() ? s.responders[n](window) : IDCANCEL;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_session) EnumThreadWindows(GetCurrentThreadId(), OfferDialog, 0);
}

// A message box's text is the static control that is not its icon.
BOOL CALLBACK FindMessage(HWND child, LPARAM param) {
    wchar_t cls[16];
    GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
        *reinterpret_cast<std::wstring*>(param) = WideText(child);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int RespondToDialogs(const std::function<void()>& action, std::vector<Responder> responders) {
    Session session;
    session.responders = std::move(responders);
    Session* outer = g_session;
    g_session = &session;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, OnTimer);
    action();
    KillTimer(nullptr, timer);
    g_session = outer;
    return static_cast<int>(session.answered);
}

std::wstring WideText(HWND window) {
    wchar_t text[1024];
    int n = GetWindowTextW(window, text, 1024);
    return std::wstring(text, n > 0 ? n : 0);
}

std::wstring Wide(const std::string& utf8) {
    wchar_t wide[1024];
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide, 1024);
    return std::wstring(wide, n > 0 ? n : 0);
}

Shown Read(HWND dialog) {
    Shown shown;
    shown.caption = WideText(dialog);
    if (HWND prompt = GetDlgItem(dialog, 100))
        shown.text = WideText(prompt);
    else
        EnumChildWindows(dialog, FindMessage, reinterpret_cast<LPARAM>(&shown.text));
    char directory[1024] = "";
    GetDlgItemTextA(dialog, 101, directory, sizeof directory);
    shown.directory = directory;
    return shown;
}

Responder Answer(std::vector<Shown>* seen, int button, const char* typed) {
    std::string text = typed ? typed : "";
    bool type = typed != nullptr;
    return [seen, button, text, type](HWND dialog) {
        seen->push_back(Read(dialog));
        if (type) SetDlgItemTextA(dialog, 101, text.c_str());
        return button;
    };
}

}  // namespace shelltest

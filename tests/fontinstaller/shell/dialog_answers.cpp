#include "dialog_answers.h"

namespace vexatest {

namespace {

BOOL CALLBACK FindMessage(HWND child, LPARAM shown) {
    wchar_t cls[16];
    GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
    reinterpret_cast<Shown*>(shown)->text = vexatest::WindowText(child);
    return FALSE;
}

}  // namespace

Shown Read(HWND dialog) {
    Shown shown;
    shown.caption = vexatest::WindowText(dialog);
    if (HWND prompt = GetDlgItem(dialog, 100))
        shown.text = vexatest::WindowText(prompt);
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

}  // namespace vexatest

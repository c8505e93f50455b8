#include "chooser_texts.h"

#include "resource_ids.h"

#include <windows.h>

namespace orvane {

// The code page 936 captions are spelled out as GBK bytes so that they do
// not depend on the compiler's execution character set.
const ControlCaption kCaptions[kCaptionCount] = {
    // "Nodi青杉"
    {IDC_CHOICE_NODI, "Nodi\xc7\xe0\xc9\xbc", L"Nodi青杉"},
    // "翠玉鹰青杉"
    {IDC_CHOICE_CUIYU, "\xb4\xe4\xd3\xf1\xd3\xa5\xc7\xe0\xc9\xbc", L"翠玉鷹青杉"},
    // "铜云青杉"
    {IDC_CHOICE_TONGYUN, "\xcd\xad\xd4\xc6\xc7\xe0\xc9\xbc", L"銅雲青杉"},
    // "顺手写"
    {IDC_CHOICE_SHUNSHOU, "\xcb\xb3\xca\xd6\xd0\xb4", L"順手寫"},
    // "确定"
    {IDOK, "\xc8\xb7\xb6\xa8", L"確定"},
    // "取消"
    {IDCANCEL, "\xc8\xa1\xcf\xfb", L"取消"},
    // "碧涛青杉"
    {IDC_CHOICE_BITAO, "\xb1\xcc\xcc\xce\xc7\xe0\xc9\xbc", L"碧濤青杉"},
};

const wchar_t kWindowTitle[] = L"QUORLAN INSTALLER";

const wchar_t* InstructionText(bool simplified) {
    return simplified ? L"请选择要安装的产品，然后按“确定”。" : L"請選擇要安裝的產品，然後按「確定」。";
}

const wchar_t* ProductNameFor(int id, bool simplified) {
    switch (id) {
    case IDC_CHOICE_NODI:
        return L"Nodi青杉";
    case IDC_CHOICE_CUIYU:
        return simplified ? L"Cuiyu 翠玉鹰青杉" : L"Cuiyu 翠玉鷹青杉";
    case IDC_CHOICE_TONGYUN:
        return simplified ? L"Tongyun 铜云青杉" : L"Tongyun 銅雲青杉";
    case IDC_CHOICE_SHUNSHOU:
        return simplified ? L"Shunshou 顺手写" : L"Shunshou 順手寫";
    case IDC_CHOICE_BITAO:
        return simplified ? L"Bitao 碧涛青杉" : L"Bitao 碧濤青杉";
    default:
        return nullptr;
    }
}

const char* SetupSuffixFor(int id) {
    switch (id) {
    case IDC_CHOICE_NODI:
        return "\\KavroMini\\Setup.exe";
    case IDC_CHOICE_CUIYU:
    case IDC_CHOICE_TONGYUN:
    case IDC_CHOICE_BITAO:
        return "\\Selvo\\Setup.exe";
    case IDC_CHOICE_SHUNSHOU:
        return "\\Kavro\\Setup.exe";
    default:
        return nullptr;
    }
}

}  // namespace orvane

#include "space_box.h"

#include "messages.h"

namespace tarsik {

// "VexaFont インストーラ" in code page 932 (Shift-JIS).
const char kSpaceBoxCaption932[] = "VexaFont \x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x89";

void ShowSpaceMessage(HWND owner, const char* text) {
    wchar_t caption[64];
    if (MultiByteToWideChar(932, 0, kSpaceBoxCaption932, -1, caption, 64) == 0) caption[0] = L'\0';
    wchar_t wideText[kTextCapacity];
    WidenInstallerText(wideText, kTextCapacity, text);
    MessageBoxW(owner, wideText, caption, MB_OK | MB_ICONSTOP);
}

}  // namespace tarsik

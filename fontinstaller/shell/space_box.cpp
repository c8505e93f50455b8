#include "space_box.h"

#include <cstring>

// "VexaFont インストーラ" in code page 932 (Shift-JIS).
const char kSpaceBoxCaption932[] = "VexaFont \x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x89";

namespace {

constexpr int kTextCapacity = 256;

// Converts up to capacity-1 UTF-16 units and always terminates.
void Widen(UINT codePage, const char* text, wchar_t* wide, int capacity) {
    int n = MultiByteToWideChar(codePage, 0, text, -1, wide, capacity);
    if (n == 0) {
        // Too long for the buffer: convert what fits.
        n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(std::strlen(text)), wide, capacity - 1);
        wide[n > 0 ? n : 0] = L'\0';
    }
}

}  // namespace

void ShowSpaceMessage(HWND owner, const char* text) {
    wchar_t caption[64];
    wchar_t wideText[kTextCapacity];
    Widen(932, kSpaceBoxCaption932, caption, 64);
    Widen(950, text, wideText, kTextCapacity);
    MessageBoxW(owner, wideText, caption, MB_OK | MB_ICONSTOP);
}

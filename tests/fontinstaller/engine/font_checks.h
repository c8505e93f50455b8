// Looking at the system's font table from a test, and a TrueType file with a
// face name that no other font on the machine has.
#pragma once

#include <windows.h>

#include <string>

namespace vexatest {

// The face that RenamedFace gives: as long as "DejaVu Sans", so the name
// table keeps its layout.
constexpr char kTestFace[] = "Tarsik Test";

// The bytes of a TrueType file with every "DejaVu Sans" of its name table
// (single-byte and UTF-16BE records) renamed to face, which must be as long.
std::string RenamedFace(const std::string& dejaVuSans, const char* face = kTestFace);

// Whether GDI offers the face: enumerated by EnumFontFamiliesExA, and
// selected as itself (GetTextFaceA) when a font of that face is asked for.
bool FaceAvailable(const char* face);

// Whether EnumFontFamiliesExA finds any font for the face. Gone means not
// even this: Wine hands a font added in an earlier process of the same
// wineserver to later ones under a garbled name, which FaceAvailable misses.
bool FaceEnumerated(const char* face);

// Counts the WM_FONTCHANGE broadcasts of the test's own thread while it
// lives: a hidden top-level window of that thread (a broadcast is sent to
// every top-level window, also those of other programs).
class FontChangeCounter {
public:
    FontChangeCounter();
    ~FontChangeCounter();
    FontChangeCounter(const FontChangeCounter&) = delete;
    FontChangeCounter& operator=(const FontChangeCounter&) = delete;
    int count() const { return count_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    int count_ = 0;
};

}  // namespace vexatest

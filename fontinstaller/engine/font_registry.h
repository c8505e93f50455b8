// The system's Fonts key and font table: where installed TrueType fonts
// are recorded, and the test by which an item learns that its font is there.
#pragma once

#include <windows.h>

// HKEY_LOCAL_MACHINE key under which every installed TrueType font is
// recorded: value name = the font's name, data = its file.
extern const char kFontsKeyPath[];

// True when the Fonts key cannot be opened or already holds a value of that
// name; false when it opens and has none.
bool IsFontRegistered(const char* fontName);

// Adds the font file to the system's font table and records it under the
// Fonts key. False when the key cannot be opened or already holds the name
// (then nothing is changed), and when the value cannot be written (then
// *writeFailed, when given, is set and the font table is left as it was).
bool RegisterFont(const char* fontName, const char* registryData, bool* writeFailed = nullptr);

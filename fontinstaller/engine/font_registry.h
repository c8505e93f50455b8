// The system's Fonts keys and font table: where installed TrueType fonts
// are recorded, and the test by which an item learns that its font is there.
#pragma once

#include <windows.h>

#include "platform_version.h"

namespace tarsik {

// HKEY_LOCAL_MACHINE key under which every installed TrueType font is
// recorded: value name = the font's name, data = its file. The Windows 95
// family loads the fonts it names at start-up.
extern const char kFontsKeyPath[];

// The key the NT family loads its fonts from at start-up. There a font is
// recorded under both keys, with the same name and data.
extern const char kNtFontsKeyPath[];

// Whether a font name is recorded: the keys open and one holds it, the keys
// open and none does, or a key cannot be opened.
enum FontRecord { FontNotRecorded, FontRecorded, FontKeysUnavailable };
FontRecord LookUpFont(const char* fontName);

// True when a Fonts key cannot be opened or already holds a value of that
// name; false when they open and none has it.
bool IsFontRegistered(const char* fontName);

// Adds the font file to the system's font table and records it under the
// Fonts keys. False when a key cannot be opened or already holds the name
// (then nothing is changed), and when a value cannot be written: then
// *unwrittenKey, when given, names that key's path, and the font table and
// the keys are left as they were.
bool RegisterFont(const char* fontName, const char* registryData, const char** unwrittenKey = nullptr);

}  // namespace tarsik

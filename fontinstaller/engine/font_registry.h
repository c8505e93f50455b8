// The system's Fonts keys and font table: where installed TrueType fonts
// are recorded, and the test by which an item learns that its font is there.
#pragma once

#include <windows.h>

#include "install_record.h"
#include "platform_version.h"

namespace tarsik {

// HKEY_LOCAL_MACHINE key under which every installed TrueType font is
// recorded: value name = the font's name, data = its file. The Windows 95
// family loads the fonts it names at start-up.
extern const char kFontsKeyPath[];

// The key the NT family loads its fonts from at start-up. There a font is
// recorded under both keys, with the same name and data.
extern const char kNtFontsKeyPath[];

// Whether a font name is recorded: the keys open and every one of them
// holds it, the keys open and none does, some do and some do not (an
// install stopped between its writes), or a key cannot be opened.
enum FontRecord { FontNotRecorded, FontRecorded, FontPartlyRecorded, FontKeysUnavailable };
FontRecord LookUpFont(const char* fontName);

// True when a Fonts key cannot be opened or holds a value of that name;
// false when they open and none has it.
bool IsFontRegistered(const char* fontName);

// Finishes the record of a font that only some of the keys hold, as an
// install stopped between its two writes leaves it: when the file that
// the value names is in place (a bare name in fontsDir), the other keys get
// the same data and the file is added to the font table. True when the
// font is now recorded under every key; false when it is not partly
// recorded, its file is missing, or a key cannot be written (then nothing
// is changed).
bool CompleteFontRecord(HWND owner, const char* fontName, const char* fontsDir);

// Writes into the install record, before RegisterFont, what it is about to
// do: the font table entry and the value under each key. 0 after the
// record's box.
int RecordFontRegistration(HWND owner, const char* fontName, const char* registryData);

// The remover of a font table entry: the file taken out of the table, so
// that it can be deleted.
EntryOutcome RemoveFontFromTable(const char* registryData, char* why);

// Tells every top-level window that the font table changed, without
// waiting for any of them: a program that has stopped answering gets the
// message when it runs again and never holds up the installer.
void NotifyFontChange();

// Adds the font file to the system's font table and records it under the
// Fonts keys. False when a key cannot be opened or already holds the name
// (then nothing is changed), and when a value cannot be written: then
// *unwrittenKey, when given, names that key's path, and the font table and
// the keys are left as they were.
bool RegisterFont(const char* fontName, const char* registryData, const char** unwrittenKey = nullptr);

}  // namespace tarsik

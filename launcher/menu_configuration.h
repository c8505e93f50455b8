// What the launcher reads from setup.inf, apart from its window: the
// language section every lookup reads, the values of that section, the
// layout the number of items picks, and the items themselves. A library of
// its own, so that a disc checker reads setup.inf exactly as the menu does.
#pragma once
#include <windows.h>

#include <string>

#include "program_paths.h"

namespace velmora {

// The menu's items: keys "1" to "20" of the language section.
constexpr int kMenuItemCount = 20;

// The section of setup.inf that serves `codePage`, after a language code
// from the command line ("100", "200", "400", "500", "700"; matched whole
// and with letter case) has replaced it.
const char* LanguageSectionFor(const std::string& languageCode, UINT codePage);

// What follows the program's name and the blanks after it on a command
// line, unchanged (trailing blanks included).
std::string LanguageCodeFrom(const char* commandLine);

class MenuConfiguration {
public:
    explicit MenuConfiguration(const char* commandLine) : languageCode_(LanguageCodeFrom(commandLine)) {}

    // The section every lookup reads, from the language code and the
    // system's ANSI code page.
    const char* GetLanguageSection() const { return LanguageSectionFor(languageCode_, GetACP()); }

    // Points every lookup at `directory`\setup.inf. A directory too long for
    // the 260-byte path leaves no file: every lookup then gets its default.
    // Whether the path fits.
    bool UseIniDirectory(const char* directory);

    // One key of the language section (at most 259 characters of it), or
    // `defaultValue` when the key or the file is missing.
    void ReadValue(const char* key, const char* defaultValue, char (&value)[kPathCapacity]) const;

    // 103 when item 17 exists, else 102 when item 13 exists, else 101.
    int ChooseTemplate() const;

    // Item index + 1 (index 0 to 19): its caption (key "%d") and its target
    // (key "%dr", empty when missing). False when the item does not exist:
    // no caption key, or the caption "XX".
    bool ReadItem(int index, char (&caption)[kPathCapacity], char (&target)[kPathCapacity]) const;

    const std::string& languageCode() const { return languageCode_; }
    const char* iniPath() const { return iniPath_; }

protected:
    void ForgetIniPath() { iniPath_[0] = '\0'; }

private:
    std::string languageCode_;
    char iniPath_[kPathCapacity] = {};
};

}  // namespace velmora

// The launcher as a program: the language code from its command line, the
// path of setup.inf beside it, the language section every lookup reads, and
// the choice among the three dialog layouts by the number of items.
#pragma once
#include <windows.h>

#include <string>

#include "program_paths.h"

namespace velmora {

// The section of setup.inf that serves `codePage`, after a language code
// from the command line ("100", "200", "400", "500", "700"; matched whole
// and with letter case) has replaced it.
const char* LanguageSectionFor(const std::string& languageCode, UINT codePage);

// What follows the program's name and the blanks after it on a command
// line, unchanged (trailing blanks included).
std::string LanguageCodeFrom(const char* commandLine);

class LauncherApp {
public:
    explicit LauncherApp(const char* commandLine) : languageCode_(LanguageCodeFrom(commandLine)) {}

    // Finds setup.inf beside the program, chooses the layout and runs the
    // dialog modally. Always false: the program then ends.
    bool Start();

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

    const std::string& languageCode() const { return languageCode_; }
    const char* iniPath() const { return iniPath_; }

private:
    std::string languageCode_;
    char iniPath_[kPathCapacity] = {};
};

}  // namespace velmora

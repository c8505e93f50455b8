#include "menu_configuration.h"

#include <cstdio>
#include <cstring>

#include "resource_ids.h"

namespace velmora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A caption of exactly "XX" stands for a missing item.
bool IsMissing(const char* caption) { return std::strcmp(caption, "XX") == 0; }

}  // namespace

const char* LanguageSectionFor(const std::string& languageCode, UINT codePage) {
    struct Code {
        const char* code;
        UINT codePage;
    };
    // "700" stands for none of the four: English.
    static const Code kCodes[] = {{"100", 950}, {"200", 936}, {"400", 932}, {"500", 949}, {"700", 0}};
    for (const Code& code : kCodes) {
        if (languageCode == code.code) codePage = code.codePage;
    }
    switch (codePage) {
    case 932:
        return "MSGJIS";
    case 936:
        return "MSGGB";
    case 949:
        return "MSGKSC";
    case 950:
        return "MSGBIG5";
    default:
        return "MSGENG";
    }
}

std::string LanguageCodeFrom(const char* commandLine) {
    if (commandLine == nullptr) return std::string();
    const char* p = commandLine;
    // The program's name, quoted or up to the first blank.
    if (*p == '"') {
        p = CharNextA(p);
        while (*p != '\0' && *p != '"') p = CharNextA(p);
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p)) p = CharNextA(p);
    }
    while (IsBlank(*p)) ++p;
    return std::string(p);
}

bool MenuConfiguration::UseIniDirectory(const char* directory) {
    int written = std::snprintf(iniPath_, sizeof iniPath_, "%s\\%s", directory, "setup.inf");
    if (written < 0 || static_cast<size_t>(written) >= sizeof iniPath_) {
        iniPath_[0] = '\0';
        return false;
    }
    return true;
}

void MenuConfiguration::ReadValue(const char* key, const char* defaultValue, char (&value)[kPathCapacity]) const {
    if (iniPath_[0] == '\0') {
        std::snprintf(value, sizeof value, "%s", defaultValue);
        return;
    }
    GetPrivateProfileStringA(GetLanguageSection(), key, defaultValue, value, static_cast<DWORD>(sizeof value),
                             iniPath_);
}

int MenuConfiguration::ChooseTemplate() const {
    char value[kPathCapacity];
    ReadValue("17", "XX", value);
    if (!IsMissing(value)) return IDD_LAUNCHER_COMPACT;
    ReadValue("13", "XX", value);
    if (!IsMissing(value)) return IDD_LAUNCHER_MEDIUM;
    return IDD_LAUNCHER_SPACIOUS;
}

bool MenuConfiguration::ReadItem(int index, char (&caption)[kPathCapacity], char (&target)[kPathCapacity]) const {
    char key[16];
    std::snprintf(key, sizeof key, "%d", index + 1);
    ReadValue(key, "XX", caption);
    if (IsMissing(caption)) return false;
    std::snprintf(key, sizeof key, "%dr", index + 1);
    ReadValue(key, "", target);
    return true;
}

}  // namespace velmora

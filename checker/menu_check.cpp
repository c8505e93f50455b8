#include "menu_check.h"

#include <cstring>
#include <string>
#include <vector>

#include "disc_tree.h"
#include "report.h"

// The launcher's configuration code.
#include "menu_configuration.h"
// By its path: the installer's resource ids have a header of the same name.
#include "../launcher/resource_ids.h"

namespace vexacheck {

using namespace velmora;

namespace {

const char kLauncherName[] = "Velmora.exe";
const char kMenuName[] = "setup.inf";
const char kAutorunName[] = "autorun.inf";
// A default no value on a disc has: tells a missing key from a present one.
const char kAbsent[] = "\x01";

// The language code that makes the launcher read each section, and the code
// page its values are written in.
struct Language {
    const char* code;
    UINT codePage;
};
const Language kLanguages[] = {{"100", 950}, {"200", 936}, {"400", 932}, {"500", 949}, {"700", 1252}};

// One key and value of setup.inf as the bytes stand in the file: the values
// of a section in a code page other than this system's would not survive
// the profile functions' conversion.
struct RawValue {
    std::string key;
    std::string value;
};

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The lines of the first section named `section`, keys trimmed, values
// trimmed and unquoted as the profile functions give them.
std::vector<RawValue> RawSection(const std::string& bytes, const char* section) {
    std::vector<RawValue> values;
    bool inside = false, seen = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trimmed(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            inside = !seen && lstrcmpiA(Trimmed(name).c_str(), section) == 0;
            seen = seen || inside;
            continue;
        }
        if (!inside) continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        values.push_back({Trimmed(line.substr(0, equals)), value});
    }
    return values;
}

const RawValue* Find(const std::vector<RawValue>& values, const char* key) {
    for (const RawValue& value : values)
        if (lstrcmpiA(value.key.c_str(), key) == 0) return &value;
    return nullptr;
}

bool ReadAll(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    // A menu of twenty items is a few kilobytes.
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 20);
    if (ok) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes->empty() || (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
                                read == bytes->size());
    }
    CloseHandle(file);
    return ok;
}

bool HasSection(const std::string& iniPath, const char* section) {
    std::vector<char> names(65536);
    DWORD n = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), iniPath.c_str());
    for (const char* name = names.data(); name < names.data() + n && *name; name += std::strlen(name) + 1)
        if (lstrcmpiA(name, section) == 0) return true;
    return false;
}

bool IsUtf8(const std::string& bytes) {
    bool wide = false;
    for (unsigned char c : bytes) wide = wide || c >= 0x80;
    return wide && IsValidText(bytes, CP_UTF8);
}

// One language section, read as the launcher reads it on a machine of its
// code page.
class SectionChecker {
public:
    SectionChecker(const DiscTree& tree, Report& report, const Language& language, const std::string& bytes)
        : tree_(tree),
          report_(report),
          language_(language),
          menu_((std::string(kLauncherName) + " " + language.code).c_str()),
          section_(menu_.GetLanguageSection()),
          raw_(RawSection(bytes, section_)) {}

    // False when the section is missing (or cannot be read at all).
    bool Run();

private:
    std::string Place(const std::string& key) const { return "[" + std::string(section_) + "] " + key; }
    // A value as a machine of the section's code page shows it, in UTF-8.
    std::string Shown(const char* key, const char* read) const;
    void CheckTexts();
    void CheckTarget(int index, const char* caption, const char* target);
    void CheckStrays(int count);
    void CheckLayout(int count, int layout);

    const DiscTree& tree_;
    Report& report_;
    const Language& language_;
    MenuConfiguration menu_;
    const char* section_;
    std::vector<RawValue> raw_;
};

std::string SectionChecker::Shown(const char* key, const char* read) const {
    const RawValue* raw = language_.codePage == GetACP() ? nullptr : Find(raw_, key);
    return Utf8From(raw ? raw->value : std::string(read), language_.codePage);
}

bool SectionChecker::Run() {
    std::string cp = std::to_string(language_.codePage);
    if (!menu_.UseIniDirectory(tree_.root().c_str())) {
        report_.Error(kMenuName, "", "the disc's folder path is too long for the launcher to read the file");
        return false;
    }
    if (!HasSection(menu_.iniPath(), section_)) {
        report_.Warning(kMenuName, "[" + std::string(section_) + "]",
                        "missing: a machine of code page " + cp + " (or the language code " + language_.code +
                            ") shows the defaults, the title \"Tolvane\" and no item");
        return false;
    }
    CheckTexts();
    char title[kPathCapacity], close[kPathCapacity];
    menu_.ReadValue("Title", kAbsent, title);
    menu_.ReadValue("Close", kAbsent, close);
    if (std::strcmp(title, kAbsent) == 0)
        report_.Warning(kMenuName, Place("Title"), "missing: the title is \"Tolvane\"");
    if (std::strcmp(close, kAbsent) == 0)
        report_.Warning(kMenuName, Place("Close"), "missing: the button reads \"Close\"");

    struct Item {
        char caption[kPathCapacity];
        char target[kPathCapacity];
    };
    std::vector<Item> items(kMenuItemCount);
    int count = 0;
    while (count < kMenuItemCount && menu_.ReadItem(count, items[count].caption, items[count].target)) ++count;
    int layout = menu_.ChooseTemplate();
    std::string what =
        "code page " + cp + ": title \"" +
        (std::strcmp(title, kAbsent) == 0 ? std::string("Tolvane") : Shown("Title", title)) + "\", Close \"" +
        (std::strcmp(close, kAbsent) == 0 ? std::string("Close") : Shown("Close", close)) + "\", " +
        std::to_string(count) + (count == 1 ? " item" : " items") + " in layout " + std::to_string(layout);
    report_.Ok(kMenuName, "[" + std::string(section_) + "]", what);
    for (int i = 0; i < count; ++i) CheckTarget(i, items[i].caption, items[i].target);
    if (count == 0) report_.Warning(kMenuName, Place("1"), "missing: the menu shows no item");
    CheckStrays(count);
    CheckLayout(count, layout);
    return true;
}

void SectionChecker::CheckTexts() {
    for (const RawValue& value : raw_) {
        if (!IsValidText(value.value, language_.codePage)) {
            std::string why = "not text in code page " + std::to_string(language_.codePage);
            if (IsUtf8(value.value)) why += ": it reads as UTF-8; the section must be saved in its own code page";
            report_.Error(kMenuName, Place(value.key), why);
        }
        if (value.value.size() >= kPathCapacity)
            report_.Warning(kMenuName, Place(value.key),
                            std::to_string(value.value.size()) + " bytes: the launcher reads only the first " +
                                std::to_string(kPathCapacity - 1));
    }
}

void SectionChecker::CheckTarget(int index, const char* caption, const char* target) {
    std::string key = std::to_string(index + 1) + "r";
    std::string item =
        "item " + std::to_string(index + 1) + " \"" + Shown(std::to_string(index + 1).c_str(), caption) + "\"";
    if (target[0] == '\0') {
        report_.Warning(kMenuName, Place(key), "empty: " + item + " opens the disc's root folder");
        return;
    }
    // Joined to the launcher's folder as the item joins it; the file named
    // in the section's own code page.
    const RawValue* raw = language_.codePage == GetACP() ? nullptr : Find(raw_, key.c_str());
    std::string bytes = raw ? raw->value : std::string(target);
    std::string shown = Utf8From(bytes, language_.codePage);
    if (tree_.root().size() + 1 + bytes.size() >= kPathCapacity) {
        report_.Error(kMenuName, Place(key),
                      shown + ": the path on the disc is longer than 259 bytes; " + item + " opens nothing");
        return;
    }
    DWORD attributes;
    if (raw)
        attributes =
            GetFileAttributesW((WideFromUtf8(Utf8FromAnsi(tree_.root())) + L"\\" + WideFromUtf8(shown)).c_str());
    else
        attributes = GetFileAttributesA((tree_.root() + "\\" + bytes).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        report_.Error(kMenuName, Place(key), shown + " is not on the disc: " + item + " opens nothing");
        return;
    }
    report_.Ok(kMenuName, Place(key), item + " opens " + shown);
}

void SectionChecker::CheckStrays(int count) {
    char value[kPathCapacity];
    for (int n = count + 2; n <= kMenuItemCount; ++n) {
        std::string key = std::to_string(n);
        menu_.ReadValue(key.c_str(), "XX", value);
        if (std::strcmp(value, "XX") != 0)
            report_.Warning(kMenuName, Place(key),
                            "never shows: item " + std::to_string(count + 1) + " is missing, and the menu stops there");
    }
}

void SectionChecker::CheckLayout(int count, int layout) {
    int needed = count <= 12 ? IDD_LAUNCHER_SPACIOUS : count <= 16 ? IDD_LAUNCHER_MEDIUM : IDD_LAUNCHER_COMPACT;
    if (layout <= needed) return;
    const char* key = layout == IDD_LAUNCHER_COMPACT ? "17" : "13";
    report_.Warning(kMenuName, Place(key),
                    "present: layout " + std::to_string(layout) + " for " + std::to_string(count) +
                        " items, tighter than the " + std::to_string(needed) + " they need");
}

}  // namespace

void CheckMenu(const DiscTree& tree, Report& report) {
    if (!tree.FindFile(kLauncherName))
        report.Error(kLauncherName, "", "not at the disc's root: nothing shows the menu");
    const std::string* menu = tree.FindFile(kMenuName);
    std::string bytes;
    if (!menu) {
        report.Error(kMenuName, "", "missing at the disc's root: the menu shows the title \"Tolvane\" and no item");
        return;
    }
    if (!ReadAll(tree.Full(*menu), &bytes)) {
        report.Error(kMenuName, "", "cannot be read");
        return;
    }
    int present = 0;
    for (const Language& language : kLanguages) {
        if (SectionChecker(tree, report, language, bytes).Run()) ++present;
    }
    if (present == 0) report.Error(kMenuName, "", "no language section: every machine shows an empty menu");
}

void CheckAutorun(const DiscTree& tree, Report& report) {
    const std::string* autorun = tree.FindFile(kAutorunName);
    if (!autorun) {
        report.Warning(kAutorunName, "", "missing: the disc does not open the menu by itself");
        return;
    }
    std::string path = tree.Full(*autorun);
    char open[kPathCapacity], icon[kPathCapacity], label[kPathCapacity];
    GetPrivateProfileStringA("autorun", "open", "", open, sizeof open, path.c_str());
    GetPrivateProfileStringA("autorun", "icon", "", icon, sizeof icon, path.c_str());
    GetPrivateProfileStringA("autorun", "label", "", label, sizeof label, path.c_str());
    // The program: quoted, or up to the first blank; its arguments follow.
    std::string program = open;
    if (!program.empty() && program[0] == '"')
        program = program.substr(1, program.find('"', 1) - 1);
    else
        program = program.substr(0, program.find(' '));
    if (program.empty()) {
        report.Error(kAutorunName, "[autorun] open", "missing: the disc opens nothing by itself");
        return;
    }
    std::string shown = Utf8FromAnsi(program);
    if (!tree.FindFile(program)) {
        report.Error(kAutorunName, "[autorun] open", shown + " is not on the disc: the disc opens nothing by itself");
        return;
    }
    if (lstrcmpiA(NamePart(program).c_str(), kLauncherName) != 0) {
        report.Warning(kAutorunName, "[autorun] open", "opens " + shown + ", not the menu launcher " + kLauncherName);
        return;
    }
    std::string what = "opens " + shown;
    std::string iconFile = icon;
    iconFile = iconFile.substr(0, iconFile.find(','));
    if (!iconFile.empty() && !tree.FindFile(iconFile))
        report.Warning(kAutorunName, "[autorun] icon", Utf8FromAnsi(iconFile) + " is not on the disc");
    else if (!iconFile.empty())
        what += ", icon " + Utf8FromAnsi(icon);
    if (label[0]) what += ", label \"" + Utf8FromAnsi(label) + "\"";
    report.Ok(kAutorunName, "[autorun]", what);
}

}  // namespace vexacheck

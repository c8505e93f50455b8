#include "install_script.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "trace.h"

namespace tarsik {

InstallScript g_installScript;

namespace {

const char kScriptName[] = "VEXA95.INI";

DWORD RealProgramPath(char* buffer, DWORD capacity) { return GetModuleFileNameA(nullptr, buffer, capacity); }

ProgramPathSource g_programPath = RealProgramPath;

// A composed key: the item's whole name (up to 71 characters), a suffix of up
// to 14 characters (" AddWindowsDir") and a number.
constexpr int kKeyCapacity = kNameCapacity + 32;

// Reading one section of the script, with the rule violations reported as
// one trace line for the disc's author.
class SectionReader {
public:
    SectionReader(const InstallScript& script, const char* section) : path_(script.scriptPath), section_(section) {}

    int Int(const char* key) const { return static_cast<int>(GetPrivateProfileIntA(section_, key, 0, path_)); }
    // The value cut to the field's capacity, at a whole character; its length.
    // The field is cleared first: a double-byte character that does not fit
    // may leave a byte of the buffer unwritten.
    int Text(const char* key, char* target, int capacity, const char* fallback = "") const {
        std::memset(target, 0, static_cast<size_t>(capacity));
        GetPrivateProfileStringA(section_, key, fallback, target, capacity, path_);
        return CutAtWholeCharacter(target);
    }
    // Traces the broken rule; always false, so a reader can return it.
    bool Fail(const char* key, const char* why) const {
        Trace("%s: [%s] %s: %s\n", kScriptName, section_, key, why);
        return false;
    }

private:
    const char* path_;
    const char* section_;
};

void ComposeKey(char* key, const char* name, const char* suffix, int number = 0) {
    if (number > 0)
        std::snprintf(key, kKeyCapacity, "%s%s%d", name, suffix, number);
    else
        std::snprintf(key, kKeyCapacity, "%s%s", name, suffix);
}

// Each reader below reads one key (or one run of keys) of an item and
// returns false, traced, when the value breaks a rule of the script.

// The item count of a list section: never negative, at most limit.
bool ReadCount(const SectionReader& section, const char* key, int limit, int* count) {
    *count = section.Int(key);
    if (*count < 0) return section.Fail(key, "negative count");
    if (*count > limit) {
        char why[48];
        std::snprintf(why, sizeof why, "more than %d items", limit);
        return section.Fail(key, why);
    }
    return true;
}

// "<prefix><n>" of a list section: the item's name.
bool ReadItemName(const SectionReader& list, const char* prefix, int n, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, prefix, "", n);
    if (list.Text(key, item->name, sizeof item->name) == 0) return list.Fail(key, "empty item name");
    return true;
}

// name + " Files", checked against what the script still allows.
bool ReadPieceCount(InstallScript* script, const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " Files");
    int count = detail.Int(key);
    if (count < 0) return detail.Fail(key, "negative count");
    if (count == 0) return detail.Fail(key, "no pieces");
    if (count > kMaxPieces - script->piecesUsed) return detail.Fail(key, "more than 60 pieces in the script");
    item->files.firstPiece = script->piecesUsed;
    item->files.pieceCount = count;
    return true;
}

// The " File<n>" and " Disk<n>" keys of the item's pieces.
bool ReadPieces(InstallScript* script, const SectionReader& detail, const InstallItem& item) {
    char key[kKeyCapacity];
    for (int n = 1; n <= item.files.pieceCount; ++n) {
        SourcePiece& piece = script->pieces[script->piecesUsed];
        ComposeKey(key, item.name, " File", n);
        if (detail.Text(key, piece.fileName, sizeof piece.fileName) == 0) return detail.Fail(key, "empty file name");
        // A name on the disc: the destination is named after it, so one that
        // climbs out (..\, a drive, a leading backslash) would write there.
        if (!StaysInside(piece.fileName)) return detail.Fail(key, "file name leaves its folder");
        ComposeKey(key, item.name, " Disk", n);
        if (detail.Text(key, piece.diskLabel, sizeof piece.diskLabel) == 0) return detail.Fail(key, "empty disk label");
        ++script->piecesUsed;
    }
    return true;
}

void ReadCompressed(const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " Compressed");
    item->files.compressed = detail.Int(key);
}

// A negative size would turn the free-space check off.
bool ReadSize(const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " Size");
    item->size = detail.Int(key);
    if (item->size < 0) return detail.Fail(key, "negative size");
    return true;
}

bool ReadFontName(const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " FontName");
    if (detail.Text(key, item->fontName, sizeof item->fontName) == 0) return detail.Fail(key, "empty font name");
    return true;
}

// " DstDir" (default: the Windows directory), made absolute by
// " AddWindowsDir"=1. A directory that already names its drive (the default
// among them) is never joined: "C:\WINDOWS\C:\WINDOWS" is no place at all.
bool ReadDestination(const InstallScript& script, const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " DstDir");
    detail.Text(key, item->destDir, sizeof item->destDir, script.windowsDir);
    ComposeKey(key, item->name, " AddWindowsDir");
    if (detail.Int(key) == 1 && !HasDriveLetter(item->destDir)) {
        char joined[kPathCapacity];
        // A cut destination would put the file somewhere nobody asked for.
        if (!JoinPath(joined, sizeof joined, script.windowsDir, item->destDir))
            return detail.Fail(key, "destination path too long");
        CopyText(item->destDir, sizeof item->destDir, joined);
    }
    return true;
}

void ReadOptionalText(const SectionReader& detail, const InstallItem& item, const char* suffix, char* target,
                      int capacity) {
    char key[kKeyCapacity];
    ComposeKey(key, item.name, suffix);
    detail.Text(key, target, capacity);
}

bool ReadLinkNames(InstallScript* script, const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " AFiles");
    int count = detail.Int(key);
    if (count < 0) return detail.Fail(key, "negative count");
    if (count == 0) return detail.Fail(key, "no link names");
    if (count > kMaxLinkNames - script->linkNamesUsed) return detail.Fail(key, "more than 60 link names in the script");
    item->firstLinkName = script->linkNamesUsed;
    item->linkNameCount = count;
    for (int n = 1; n <= count; ++n) {
        ComposeKey(key, item->name, " AFontName", n);
        char* target = script->linkNames[script->linkNamesUsed];
        if (detail.Text(key, target, kPathCapacity) == 0) return detail.Fail(key, "empty link name");
        ++script->linkNamesUsed;
    }
    return true;
}

// The detail keys of one item of each category, in the order the script
// format reads them.

bool ReadMiscDetails(InstallScript* s, const SectionReader& detail, InstallItem* item) {
    if (!ReadPieceCount(s, detail, item) || !ReadPieces(s, detail, *item) || !ReadDestination(*s, detail, item))
        return false;
    ReadCompressed(detail, item);
    ReadOptionalText(detail, *item, " Group", item->group, sizeof item->group);
    return true;
}

bool ReadFontDetails(InstallScript* s, const SectionReader& detail, InstallItem* item) {
    if (!ReadSize(detail, item)) return false;
    ReadCompressed(detail, item);
    return ReadPieceCount(s, detail, item) && ReadFontName(detail, item) && ReadPieces(s, detail, *item);
}

bool ReadEudcDetails(InstallScript* s, const SectionReader& detail, InstallItem* item) {
    if (!ReadSize(detail, item) || !ReadPieceCount(s, detail, item)) return false;
    ReadCompressed(detail, item);
    return ReadFontName(detail, item) && ReadLinkNames(s, detail, item) && ReadPieces(s, detail, *item);
}

bool ReadTableDetails(InstallScript* s, const SectionReader& detail, InstallItem* item) {
    if (!ReadPieceCount(s, detail, item) || !ReadPieces(s, detail, *item) || !ReadDestination(*s, detail, item))
        return false;
    ReadCompressed(detail, item);
    ReadOptionalText(detail, *item, " UserKey", item->userKey, sizeof item->userKey);
    ReadOptionalText(detail, *item, " Layout Text", item->layoutText, sizeof item->layoutText);
    ReadOptionalText(detail, *item, " Layout file", item->layoutFile, sizeof item->layoutFile);
    ReadOptionalText(detail, *item, " IME file", item->imeFile, sizeof item->imeFile);
    return true;
}

// One category: its list section gives the count and the names, its detail
// section the keys of each item.
struct Category {
    const char* list;
    const char* detail;
    const char* countKey;
    const char* namePrefix;
    int limit;
    InstallItem* items;
    int* count;
    bool (*readDetails)(InstallScript*, const SectionReader&, InstallItem*);
};

bool LoadCategory(InstallScript* s, const Category& category) {
    SectionReader list(*s, category.list), detail(*s, category.detail);
    if (!ReadCount(list, category.countKey, category.limit, category.count)) return false;
    for (int n = 1; n <= *category.count; ++n) {
        InstallItem* item = &category.items[n - 1];
        if (!ReadItemName(list, category.namePrefix, n, item) || !category.readDetails(s, detail, item)) return false;
    }
    return true;
}

// OpenFile's record holds paths of up to 127 characters only; a longer
// script path is tested through its attributes instead of being reported
// missing.
bool ScriptExists(const char* path) {
    if (std::strlen(path) < OFS_MAXPATHNAME) {
        OFSTRUCT record;
        return OpenFile(path, &record, OF_EXIST) != HFILE_ERROR;
    }
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Fills the directories: installer (from the program file's path),
// System, Windows, fonts, script path.
int LoadDirectories(InstallScript* s, const char* programPath) {
    char program[kPathCapacity];
    if (programPath == nullptr || programPath[0] == '\0' || !CopyText(program, sizeof program, programPath))
        return IDS_SYSTEM_ERROR;
    // The program's directory: the path cut at its last backslash.
    const char* lastSlash = LastBackslash(program);
    program[lastSlash ? lastSlash - program : 0] = '\0';
    CopyText(s->installerDir, sizeof s->installerDir, program);

    UINT n = GetSystemDirectoryA(s->systemDir, sizeof s->systemDir);
    if (n == 0 || n >= sizeof s->systemDir) return IDS_SYSTEM_ERROR;
    n = GetWindowsDirectoryA(s->windowsDir, sizeof s->windowsDir);
    if (n == 0 || n >= sizeof s->windowsDir) return IDS_SYSTEM_ERROR;
    if (std::snprintf(s->fontsDir, sizeof s->fontsDir, "%s\\FONTS", s->windowsDir) >=
        static_cast<int>(sizeof s->fontsDir))
        return IDS_SYSTEM_ERROR;
    // A cut script path names some other file: report the script missing.
    if (!JoinPath(s->scriptPath, sizeof s->scriptPath, s->installerDir, kScriptName)) return IDS_SCRIPT_MISSING;
    return kScriptLoaded;
}

}  // namespace

void SetProgramPathSource(ProgramPathSource source) { g_programPath = source ? source : RealProgramPath; }

DWORD ProgramPath(char* buffer, DWORD capacity) { return g_programPath(buffer, capacity); }

int LoadInstallScript() {
    char program[kPathCapacity];
    DWORD length = g_programPath(program, sizeof program);
    // A path that filled the whole buffer was cut.
    if (length == 0 || length >= sizeof program) {
        std::memset(&g_installScript, 0, sizeof g_installScript);
        return IDS_SYSTEM_ERROR;
    }
    program[length] = '\0';
    return LoadInstallScript(program);
}

int LoadInstallScript(const char* programPath) {
    InstallScript* s = &g_installScript;
    std::memset(s, 0, sizeof *s);
    int result = LoadDirectories(s, programPath);
    if (result != kScriptLoaded) return result;
    if (!ScriptExists(s->scriptPath)) return IDS_SCRIPT_MISSING;
    // The categories in the order their pieces are numbered.
    const Category categories[] = {
        {"Misc", "Misc Files", "Items", "Item", kMaxMiscItems, s->miscItems, &s->miscItemCount, ReadMiscDetails},
        {"Fonts", "Font Files", "Fonts", "Font", kMaxFontItems, s->fontItems, &s->fontItemCount, ReadFontDetails},
        {"TTEs", "TTE Files", "Fonts", "Font", kMaxEudcItems, s->eudcItems, &s->eudcItemCount, ReadEudcDetails},
        {"Tbls", "Tbls Files", "Tbls", "Tbl", kMaxTableItems, s->tableItems, &s->tableItemCount, ReadTableDetails},
    };
    for (const Category& category : categories)
        if (!LoadCategory(s, category)) return IDS_SCRIPT_INVALID;
    SectionReader product(*s, "Product");
    product.Text("Name", s->productName, sizeof s->productName);
    product.Text("Version", s->productVersion, sizeof s->productVersion);
    product.Text("Publisher", s->productPublisher, sizeof s->productPublisher);
    return kScriptLoaded;
}

}  // namespace tarsik

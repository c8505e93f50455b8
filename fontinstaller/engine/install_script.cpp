#include "install_script.h"

#include <cstdio>
#include <cstring>

#include "trace.h"

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
    int Text(const char* key, char* target, int capacity, const char* fallback = "") const {
        return static_cast<int>(GetPrivateProfileStringA(section_, key, fallback, target, capacity, path_));
    }
    int Fail(const char* key, const char* why) const {
        Trace("%s: [%s] %s: %s\n", kScriptName, section_, key, why);
        return IDS_SCRIPT_INVALID;
    }
    const char* name() const { return section_; }

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

// Reads the item count of a list section; 0 or a message number.
int ReadCount(const SectionReader& list, const char* key, int limit, int* count) {
    *count = list.Int(key);
    if (*count < 0) return list.Fail(key, "negative count");
    if (*count > limit) {
        char why[48];
        std::snprintf(why, sizeof why, "more than %d items", limit);
        return list.Fail(key, why);
    }
    return kScriptLoaded;
}

// Reads "<prefix><n>" of a list section as the item's name.
int ReadItemName(const SectionReader& list, const char* prefix, int n, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, prefix, "", n);
    if (list.Text(key, item->name, sizeof item->name) == 0) return list.Fail(key, "empty item name");
    return kScriptLoaded;
}

// Reads name + " Files" and checks it against what the script still allows.
int ReadPieceCount(InstallScript* script, const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " Files");
    int count = detail.Int(key);
    if (count < 0) return detail.Fail(key, "negative count");
    if (count == 0) return detail.Fail(key, "no pieces");
    if (count > kMaxPieces - script->piecesUsed) return detail.Fail(key, "more than 60 pieces in the script");
    item->files.firstPiece = script->piecesUsed;
    item->files.pieceCount = count;
    return kScriptLoaded;
}

// Reads the " File<n>" and " Disk<n>" keys of the item's pieces.
int ReadPieces(InstallScript* script, const SectionReader& detail, const InstallItem& item) {
    char key[kKeyCapacity];
    for (int n = 1; n <= item.files.pieceCount; ++n) {
        SourcePiece& piece = script->pieces[script->piecesUsed];
        ComposeKey(key, item.name, " File", n);
        if (detail.Text(key, piece.fileName, sizeof piece.fileName) == 0) return detail.Fail(key, "empty file name");
        ComposeKey(key, item.name, " Disk", n);
        if (detail.Text(key, piece.diskLabel, sizeof piece.diskLabel) == 0) return detail.Fail(key, "empty disk label");
        ++script->piecesUsed;
    }
    return kScriptLoaded;
}

int ReadCompressed(const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " Compressed");
    item->files.compressed = detail.Int(key);
    return kScriptLoaded;
}

int ReadSize(const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " Size");
    item->size = detail.Int(key);
    return kScriptLoaded;
}

int ReadFontName(const SectionReader& detail, InstallItem* item) {
    char key[kKeyCapacity];
    ComposeKey(key, item->name, " FontName");
    if (detail.Text(key, item->fontName, sizeof item->fontName) == 0) return detail.Fail(key, "empty font name");
    return kScriptLoaded;
}

bool HasDriveLetter(const char* path) {
    return ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':';
}

// " DstDir" (default: the Windows directory), made absolute by
// " AddWindowsDir"=1. A directory that already names its drive (the default
// among them) is never joined: "C:\WINDOWS\C:\WINDOWS" is no place at all.
int ReadDestination(const InstallScript& script, const SectionReader& detail, InstallItem* item) {
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
    return kScriptLoaded;
}

int ReadOptionalText(const SectionReader& detail, const InstallItem& item, const char* suffix, char* target,
                     int capacity) {
    char key[kKeyCapacity];
    ComposeKey(key, item.name, suffix);
    detail.Text(key, target, capacity);
    return kScriptLoaded;
}

int ReadLinkNames(InstallScript* script, const SectionReader& detail, InstallItem* item) {
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
    return kScriptLoaded;
}

#define VEXA_TRY(call)                                \
    do {                                              \
        int result_ = (call);                         \
        if (result_ != kScriptLoaded) return result_; \
    } while (0)

int LoadMiscItems(InstallScript* s) {
    SectionReader list(*s, "Misc"), detail(*s, "Misc Files");
    VEXA_TRY(ReadCount(list, "Items", kMaxMiscItems, &s->miscItemCount));
    for (int n = 1; n <= s->miscItemCount; ++n) {
        InstallItem* item = &s->miscItems[n - 1];
        VEXA_TRY(ReadItemName(list, "Item", n, item));
        VEXA_TRY(ReadPieceCount(s, detail, item));
        VEXA_TRY(ReadPieces(s, detail, *item));
        VEXA_TRY(ReadDestination(*s, detail, item));
        VEXA_TRY(ReadCompressed(detail, item));
        VEXA_TRY(ReadOptionalText(detail, *item, " Group", item->group, sizeof item->group));
    }
    return kScriptLoaded;
}

int LoadFontItems(InstallScript* s) {
    SectionReader list(*s, "Fonts"), detail(*s, "Font Files");
    VEXA_TRY(ReadCount(list, "Fonts", kMaxFontItems, &s->fontItemCount));
    for (int n = 1; n <= s->fontItemCount; ++n) {
        InstallItem* item = &s->fontItems[n - 1];
        VEXA_TRY(ReadItemName(list, "Font", n, item));
        VEXA_TRY(ReadSize(detail, item));
        VEXA_TRY(ReadCompressed(detail, item));
        VEXA_TRY(ReadPieceCount(s, detail, item));
        VEXA_TRY(ReadFontName(detail, item));
        VEXA_TRY(ReadPieces(s, detail, *item));
    }
    return kScriptLoaded;
}

int LoadEudcItems(InstallScript* s) {
    SectionReader list(*s, "TTEs"), detail(*s, "TTE Files");
    VEXA_TRY(ReadCount(list, "Fonts", kMaxEudcItems, &s->eudcItemCount));
    for (int n = 1; n <= s->eudcItemCount; ++n) {
        InstallItem* item = &s->eudcItems[n - 1];
        VEXA_TRY(ReadItemName(list, "Font", n, item));
        VEXA_TRY(ReadSize(detail, item));
        VEXA_TRY(ReadPieceCount(s, detail, item));
        VEXA_TRY(ReadCompressed(detail, item));
        VEXA_TRY(ReadFontName(detail, item));
        VEXA_TRY(ReadLinkNames(s, detail, item));
        VEXA_TRY(ReadPieces(s, detail, *item));
    }
    return kScriptLoaded;
}

int LoadTableItems(InstallScript* s) {
    SectionReader list(*s, "Tbls"), detail(*s, "Tbls Files");
    VEXA_TRY(ReadCount(list, "Tbls", kMaxTableItems, &s->tableItemCount));
    for (int n = 1; n <= s->tableItemCount; ++n) {
        InstallItem* item = &s->tableItems[n - 1];
        VEXA_TRY(ReadItemName(list, "Tbl", n, item));
        VEXA_TRY(ReadPieceCount(s, detail, item));
        VEXA_TRY(ReadPieces(s, detail, *item));
        VEXA_TRY(ReadDestination(*s, detail, item));
        VEXA_TRY(ReadCompressed(detail, item));
        VEXA_TRY(ReadOptionalText(detail, *item, " UserKey", item->userKey, sizeof item->userKey));
        VEXA_TRY(ReadOptionalText(detail, *item, " Layout Text", item->layoutText, sizeof item->layoutText));
        VEXA_TRY(ReadOptionalText(detail, *item, " Layout file", item->layoutFile, sizeof item->layoutFile));
        VEXA_TRY(ReadOptionalText(detail, *item, " IME file", item->imeFile, sizeof item->imeFile));
    }
    return kScriptLoaded;
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

// Fills the directories: installer, System, Windows, fonts, script path.
int LoadDirectories(InstallScript* s) {
    char program[kPathCapacity];
    DWORD length = g_programPath(program, sizeof program);
    // A path that filled the whole buffer was cut.
    if (length == 0 || length >= sizeof program) return IDS_SYSTEM_ERROR;
    program[length] = '\0';
    char* lastSlash = std::strrchr(program, '\\');
    if (lastSlash)
        *lastSlash = '\0';
    else
        program[0] = '\0';
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

int CopyText(char* target, int capacity, const char* text) {
    if (capacity <= 0) return 0;
    size_t length = std::strlen(text);
    size_t room = static_cast<size_t>(capacity) - 1;
    size_t n = length < room ? length : room;
    std::memmove(target, text, n);
    target[n] = '\0';
    return length <= room;
}

int JoinPath(char* result, int capacity, const char* directory, const char* name) {
    if (capacity <= 0) return 0;
    size_t dirLength = std::strlen(directory);
    bool slash = dirLength > 0 && directory[dirLength - 1] != '\\';
    int n = std::snprintf(result, capacity, "%s%s%s", directory, slash ? "\\" : "", name);
    return n >= 0 && n < capacity;
}

int LoadInstallScript() {
    InstallScript* s = &g_installScript;
    std::memset(s, 0, sizeof *s);
    VEXA_TRY(LoadDirectories(s));
    if (!ScriptExists(s->scriptPath)) return IDS_SCRIPT_MISSING;
    VEXA_TRY(LoadMiscItems(s));
    VEXA_TRY(LoadFontItems(s));
    VEXA_TRY(LoadEudcItems(s));
    VEXA_TRY(LoadTableItems(s));
    return kScriptLoaded;
}

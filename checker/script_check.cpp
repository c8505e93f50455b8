#include "script_check.h"

#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "disc_tree.h"
#include "font_check.h"
#include "report.h"

// The installer's engine: its loader, its session and its transfer.
#include "ansi_text.h"
#include "file_transfer.h"
#include "install_script.h"
#include "install_session.h"
#include "trace.h"
#include "user_interface.h"

namespace vexacheck {

using namespace tarsik;

namespace {

const char kScriptName[] = "VEXA95.INI";
const char kInstallerName[] = "Tarsik.exe";

// One of the installer's messages as the user would see it, from its own
// string table (linked into this program), with its arguments in place.
std::string Message(int id, const char* arg1 = nullptr, const char* arg2 = nullptr) {
    wchar_t text[256];
    int n = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), text, 256);
    std::string shown = n > 0 ? Utf8FromWide(std::wstring(text, static_cast<size_t>(n))) : std::string();
    for (const char* arg : {arg1, arg2}) {
        size_t at = shown.find("%s");
        if (at == std::string::npos) break;
        shown.replace(at, 2, arg ? Utf8FromAnsi(arg) : std::string());
    }
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    return "message " + std::to_string(id) + " \"" + shown + "\"";
}

// The loader's trace line for a broken script.
std::string g_traced;
void KeepTrace(const char* line) { g_traced += line; }

// What the installer would show while a group is moved, and the answers a
// user would give the disk prompt: the folder of the disc that holds the
// piece asked for.
class CheckerUi : public InstallerUi {
public:
    std::vector<std::string> shown;
    std::vector<std::pair<std::string, std::string>> folders;  // piece file name, folder to type

    void ShowWarning(HWND, int messageId, const char* arg1, const char* arg2) override {
        shown.push_back(Message(messageId, arg1, arg2));
    }
    void ShowBox(HWND, const wchar_t* text) override { shown.push_back("\"" + Utf8FromWide(text) + "\""); }
    void ShowSpaceBox(HWND, const char* text) override { shown.push_back("\"" + Utf8FromAnsi(text) + "\""); }
    void SetStatus(int, const char*) override {}
    void ClearStatus() override {}
    void SetBusyCursor(int) override {}
    int AskDestination(HWND, const char*) override { return 1; }
    HFILE DiskPrompt(HWND, const SourcePiece& piece, OpenMode mode) override {
        for (const auto& [name, folder] : folders) {
            if (name != piece.fileName) continue;
            CopyText(g_installSession.sourceDir, sizeof g_installSession.sourceDir, folder.c_str());
            char path[kPathCapacity];
            if (JoinPath(path, sizeof path, g_installSession.sourceDir, piece.fileName))
                return OpenPieceFile(path, mode);
        }
        return HFILE_ERROR;
    }
};

// The engine's interface and trace go to the checker while it reads a disc.
class EngineHooks {
public:
    explicit EngineHooks(CheckerUi* ui) {
        SetInstallerUi(ui);
        SetTraceSink(KeepTrace);
    }
    ~EngineHooks() {
        SetTraceSink(nullptr);
        SetInstallerUi(nullptr);
    }
    EngineHooks(const EngineHooks&) = delete;
    EngineHooks& operator=(const EngineHooks&) = delete;
};

// A folder of the checker's own for the files a transfer makes.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(sizeof temp, temp);
        if (n == 0 || n >= sizeof temp) return;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            std::string candidate = std::string(temp) + "vexacheck-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(GetTickCount() + attempt);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
        }
    }
    ~ScratchFolder() {
        if (!path_.empty()) RemoveDirectoryA(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

enum class Kind { Misc, Fonts, Eudc, Table };

struct Category {
    Kind kind;
    const char* list;
    const char* detail;
    const char* countKey;
    const char* nameKey;
    const InstallItem* items;
    int count;
};

// Where one piece lies on the disc: the folder a user would type into the
// disk prompt, and the file the installer would really read there (the
// compressed name of a file when that is the one present).
struct Location {
    std::string folder;
    std::string file;
};

std::string Where(const std::string& relative) { return relative.empty() ? "the disc's root" : relative; }

// A file the installer opened, by the name it has on the disc (the script
// may name it in another letter case), in UTF-8.
std::string Listed(const DiscTree& tree, const std::string& opened) {
    std::string relative = tree.Relative(opened);
    const std::string* listed = tree.FindFile(relative);
    return Utf8FromAnsi(listed ? *listed : relative);
}

// The folders where the installer would open the piece: its own first,
// then every other folder of the disc.
std::vector<Location> Locate(const DiscTree& tree, const std::string& installerFolder, const SourcePiece& piece,
                             OpenMode mode) {
    std::vector<std::string> order{installerFolder};
    for (const std::string& folder : tree.folders())
        if (lstrcmpiA(folder.c_str(), installerFolder.c_str()) != 0) order.push_back(folder);
    std::vector<Location> found;
    for (const std::string& folder : order) {
        char path[kPathCapacity];
        if (!JoinPath(path, sizeof path, tree.Full(folder).c_str(), piece.fileName)) continue;
        HFILE file = OpenPieceFile(path, mode);
        if (file == HFILE_ERROR) continue;
        _lclose(file);
        found.push_back({folder, LastOpenedPiece()});
    }
    return found;
}

// What LZ32 makes of a file's header: -1 no compressed file, otherwise the
// length it says the expanded file has; or a negative LZ32 code below -1.
LONG ExpandedLength(const std::string& path, LONG* code) {
    *code = 0;
    HFILE file = _lopen(path.c_str(), OF_READ);
    if (file == HFILE_ERROR) {
        *code = LZERROR_BADINHANDLE;
        return -1;
    }
    HFILE lz = LZInit(file);
    if (lz < 0) {
        *code = lz;
        _lclose(file);
        return -1;
    }
    if (lz == file) {
        _lclose(file);
        return -1;
    }
    LONG length = LZSeek(lz, 0, FILE_END);
    LZClose(lz);
    if (length < 0) *code = length;
    return length < 0 ? -1 : length;
}

LONGLONG FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Hex(const std::string& path) {
    unsigned char head[4] = {};
    DWORD read = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, head, sizeof head, &read, nullptr);
        CloseHandle(file);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", head[0], head[1], head[2], head[3]);
    return text;
}

// A key of the loaded script as the file has it, not cut to the field the
// loader reads it into.
std::string RawValue(const char* section, const std::string& key) {
    std::vector<char> value(4096);
    GetPrivateProfileStringA(section, key.c_str(), "", value.data(), static_cast<DWORD>(value.size()),
                             g_installScript.scriptPath);
    return value.data();
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folders of an absolute path that are not there on this machine, the
// outermost first ("C:\VEXA", "C:\VEXA\VIEWER"); a drive's root is named
// "C:\". A relative path is not looked at: where it lands depends on the
// installer's current folder.
std::vector<std::string> MissingFolders(const char* directory) {
    std::vector<std::string> missing;
    bool network = directory[0] == '\\' && directory[1] == '\\';
    if (!HasDriveLetter(directory) && !network) return missing;
    std::string path = directory;
    while (true) {
        if (EndsWithBackslash(path.c_str()) && path.size() > 3) path.pop_back();
        if (path.size() == 2 && path[1] == ':') path += '\\';
        if (IsFolder(path)) break;
        missing.push_back(path);
        const char* last = LastBackslash(path.c_str());
        if (!last || path.size() <= 3 || (network && last - path.c_str() < 2)) break;
        path.resize(static_cast<size_t>(last - path.c_str()));
    }
    std::reverse(missing.begin(), missing.end());
    return missing;
}

// Expanded files kept in the scratch folder until the end of the run, for
// items that write the same destination; removed before the folder.
class KeptFiles {
public:
    KeptFiles() = default;
    ~KeptFiles() {
        for (const std::string& path : paths_) DeleteFileA(path.c_str());
    }
    KeptFiles(const KeptFiles&) = delete;
    KeptFiles& operator=(const KeptFiles&) = delete;
    // Moves a file under a name of its own in `folder`; its new path, or
    // empty when it could not be moved.
    std::string Keep(const std::string& path, const std::string& folder) {
        std::string kept = folder + "\\kept-" + std::to_string(paths_.size());
        if (!MoveFileA(path.c_str(), kept.c_str())) return {};
        paths_.push_back(kept);
        return kept;
    }

private:
    std::vector<std::string> paths_;
};

// One destination file, for the check that no two groups write the same.
struct Destination {
    std::string path;
    std::string item;  // "漢維等寬體 ([Fonts] Font1)"
    std::string kept;  // its expanded copy, when another item writes there too
};

class ScriptChecker {
public:
    ScriptChecker(const DiscTree& tree, Report& report, const std::string& folder, const std::string& scriptFile)
        : tree_(tree), report_(report), folder_(folder), file_(scriptFile) {}

    void Run();

private:
    bool Load();
    void CheckLists(const std::vector<Category>& categories);
    void CheckProduct();
    void CheckKept(const std::string& place, const char* section, const std::string& key, const char* kept,
                   int capacity);
    void CheckItem(const Category& category, int n, const InstallItem& item);
    void CheckTexts(const Category& category, const InstallItem& item, const std::string& name);
    void CheckFontName(const Category& category, const InstallItem& item, const std::string& name);
    void CheckMachine(const Category& category, const InstallItem& item, const std::string& name);
    bool CheckPieces(const Category& category, const InstallItem& item, const std::string& name);
    void CheckHeader(const Category& category, const InstallItem& item, const std::string& name);
    void CheckContents(const Category& category, const InstallItem& item, const std::string& name);
    void CheckDestination(const Category& category, int n, const InstallItem& item, const std::string& name);
    std::string Place(const Category& category, const std::string& name, const char* key, int n = 0) const;
    std::string DestinationOf(const Category& category, const InstallItem& item) const;

    const DiscTree& tree_;
    Report& report_;
    std::string folder_;  // the installer's folder, relative
    std::string file_;    // the script, relative, in UTF-8
    CheckerUi ui_;
    ScratchFolder scratch_;
    KeptFiles keptFiles_;               // inside scratch_, so gone before it
    std::vector<Location> firstPiece_;  // where the current group's first piece lies
    std::vector<std::string> planned_;  // every item's destination, for those that share one
    std::string kept_;                  // the current item's expanded copy, when kept
    std::vector<Destination> destinations_;
};

std::string ScriptChecker::Place(const Category& category, const std::string& name, const char* key, int n) const {
    std::string place = std::string("[") + category.detail + "] " + name + " " + key;
    if (n > 0) place += std::to_string(n);
    return place;
}

bool ScriptChecker::Load() {
    std::string program = tree_.Full(JoinRelative(folder_, kInstallerName));
    g_traced.clear();
    int result = LoadInstallScript(program.c_str());
    if (result == kScriptLoaded) return true;
    if (result == IDS_SCRIPT_INVALID) {
        // "VEXA95.INI: [section] key: why": the place and the broken rule.
        std::string line = Utf8FromAnsi(g_traced);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        std::string prefix = std::string(kScriptName) + ": ";
        if (line.compare(0, prefix.size(), prefix) == 0) line.erase(0, prefix.size());
        size_t why = line.rfind(": ");
        std::string place = why == std::string::npos ? std::string() : line.substr(0, why);
        std::string rule = why == std::string::npos ? line : line.substr(why + 2);
        report_.Error(file_, place, rule + ": the installer stops with " + Message(result));
    } else if (result == IDS_SCRIPT_MISSING) {
        report_.Error(file_, "",
                      "not beside " + Utf8FromAnsi(JoinRelative(folder_, kInstallerName)) +
                          " (or its path does not fit 259 bytes): the installer stops with " + Message(result));
    } else {
        report_.Error(file_, "", "the installer's folder cannot be used: it stops with " + Message(result));
    }
    return false;
}

// The earlier n of the list that names the same item (the same keys of the
// detail section), or 0.
int EarlierListing(const Category& category, int n) {
    for (int k = 1; k < n; ++k)
        if (lstrcmpiA(category.items[k - 1].name, category.items[n - 1].name) == 0) return k;
    return 0;
}

void ScriptChecker::Run() {
    EngineHooks hooks(&ui_);
    if (!Load()) return;
    const InstallScript& s = g_installScript;
    report_.Ok(file_, "",
               "loaded as the installer reads it (code page " + std::to_string(GetACP()) +
                   "): " + std::to_string(s.miscItemCount) + " Misc, " + std::to_string(s.fontItemCount) + " Fonts, " +
                   std::to_string(s.eudcItemCount) + " TTEs, " + std::to_string(s.tableItemCount) + " Tbls items; " +
                   std::to_string(s.piecesUsed) + (s.piecesUsed == 1 ? " piece" : " pieces"));
    const std::vector<Category> categories = {
        {Kind::Misc, "Misc", "Misc Files", "Items", "Item", s.miscItems, s.miscItemCount},
        {Kind::Fonts, "Fonts", "Font Files", "Fonts", "Font", s.fontItems, s.fontItemCount},
        {Kind::Eudc, "TTEs", "TTE Files", "Fonts", "Font", s.eudcItems, s.eudcItemCount},
        {Kind::Table, "Tbls", "Tbls Files", "Tbls", "Tbl", s.tableItems, s.tableItemCount},
    };
    CheckLists(categories);
    CheckProduct();
    if (scratch_.path().empty()) {
        report_.Error(file_, "", "no scratch folder for the expanded files: the files were not checked");
        return;
    }
    InitInstallSession(s);
    for (const Category& category : categories)
        for (int n = 1; n <= category.count; ++n)
            if (!EarlierListing(category, n)) planned_.push_back(DestinationOf(category, category.items[n - 1]));
    for (const Category& category : categories)
        for (int n = 1; n <= category.count; ++n) CheckItem(category, n, category.items[n - 1]);
}

// A count that reads as 0 hides every item listed under it; a script with
// nothing listed at all installs nothing.
void ScriptChecker::CheckLists(const std::vector<Category>& categories) {
    int items = 0;
    for (const Category& category : categories) {
        items += category.count;
        std::string first = std::string(category.nameKey) + "1";
        if (category.count != 0 || RawValue(category.list, first).empty()) continue;
        std::string count = RawValue(category.list, category.countKey);
        report_.Error(file_, std::string("[") + category.list + "] " + category.countKey,
                      (count.empty() ? std::string("empty or missing") : "\"" + Utf8FromAnsi(count) + "\"") +
                          ", which reads as 0, though " + first + " is listed: the installer installs none of the [" +
                          category.list + "] items");
    }
    if (items == 0)
        report_.Warning(file_, "", "installs nothing: no item is listed in [Misc], [Fonts], [TTEs] or [Tbls]");
}

// A value longer than its field is cut by the loader: the installer works
// with what is left.
void ScriptChecker::CheckKept(const std::string& place, const char* section, const std::string& key, const char* kept,
                              int capacity) {
    std::string value = RawValue(section, key);
    if (value.size() <= std::strlen(kept)) return;
    report_.Warning(file_, place,
                    std::to_string(value.size()) + " bytes, longer than the " + std::to_string(capacity - 1) +
                        " the installer keeps: it is cut to \"" + Utf8FromAnsi(kept) + "\"");
}

// [Product]: the name, version and publisher the installer gives its entry
// in Apps & features.
void ScriptChecker::CheckProduct() {
    const InstallScript& s = g_installScript;
    const struct {
        const char* key;
        const char* kept;
    } values[] = {{"Name", s.productName}, {"Version", s.productVersion}, {"Publisher", s.productPublisher}};
    for (const auto& value : values)
        CheckKept(std::string("[Product] ") + value.key, "Product", value.key, value.kept, kNameCapacity);
    std::string version = Utf8FromAnsi(s.productVersion), publisher = Utf8FromAnsi(s.productPublisher);
    if (s.productName[0] == '\0') {
        if (version.empty() && publisher.empty()) return;
        std::string given = !version.empty() && !publisher.empty() ? "a Version and a Publisher"
                            : !version.empty()                     ? "a Version"
                                                                   : "a Publisher";
        report_.Warning(file_, "[Product] Name",
                        "missing, though [Product] gives " + given + ": Apps & features names the product by its Name");
        return;
    }
    std::string what = "\"" + Utf8FromAnsi(s.productName) + "\"";
    if (!version.empty()) what += " version \"" + version + "\"";
    if (!publisher.empty()) what += " by \"" + publisher + "\"";
    report_.Ok(file_, "[Product]", what + ": the product as Apps & features lists it");
}

std::string ScriptChecker::DestinationOf(const Category& category, const InstallItem& item) const {
    const InstallScript& s = g_installScript;
    const char* folder = category.kind == Kind::Fonts  ? s.fontsDir
                         : category.kind == Kind::Eudc ? s.windowsDir
                                                       : item.destDir;
    char path[kPathCapacity];
    JoinPath(path, sizeof path, folder, s.pieces[item.files.firstPiece].fileName);
    return path;
}

void ScriptChecker::CheckItem(const Category& category, int n, const InstallItem& item) {
    std::string name = Utf8FromAnsi(item.name);
    std::string listing = std::string("[") + category.list + "] " + category.nameKey + std::to_string(n);
    if (int earlier = EarlierListing(category, n)) {
        report_.Error(file_, listing,
                      name + ": listed again: it is " + category.nameKey + std::to_string(earlier) +
                          " already, and both read the same keys of [" + category.detail + "]: list each item once");
        return;
    }
    const FileGroup& group = item.files;
    std::string what = name + ": " + std::to_string(group.pieceCount) + (group.pieceCount == 1 ? " piece" : " pieces") +
                       (group.compressed ? ", compressed" : "");
    if (category.kind == Kind::Fonts || category.kind == Kind::Eudc)
        what += ", Size " + std::to_string(item.size) + " KB";
    switch (category.kind) {
    case Kind::Fonts:
        what += ", to the Windows fonts folder (offered; the user confirms it)";
        break;
    case Kind::Eudc:
        what += ", to the Windows folder (offered; the user confirms it)";
        break;
    default:
        what += ", to " + Utf8FromAnsi(item.destDir);
        break;
    }
    if (category.kind == Kind::Misc && item.group[0])
        what += ", entered in the Program Manager group \"" + Utf8FromAnsi(item.group) + "\"";
    if (category.kind == Kind::Table && item.userKey[0])
        what += ", registered under HKEY_LOCAL_MACHINE\\" + Utf8FromAnsi(item.userKey);
    report_.Ok(file_, listing, what);

    CheckTexts(category, item, name);
    CheckFontName(category, item, name);
    CheckMachine(category, item, name);
    kept_.clear();
    if (CheckPieces(category, item, name)) {
        CheckHeader(category, item, name);
        CheckContents(category, item, name);
    }
    CheckDestination(category, n, item, name);
}

// The texts the loader cuts to their fields.
void ScriptChecker::CheckTexts(const Category& category, const InstallItem& item, const std::string& name) {
    const InstallScript& s = g_installScript;
    std::string key = item.name;
    if (category.kind == Kind::Fonts || category.kind == Kind::Eudc)
        CheckKept(Place(category, name, "FontName"), category.detail, key + " FontName", item.fontName, kNameCapacity);
    if (category.kind == Kind::Table)
        CheckKept(Place(category, name, "UserKey"), category.detail, key + " UserKey", item.userKey, kNameCapacity);
    for (int i = 0; i < item.files.pieceCount; ++i)
        CheckKept(Place(category, name, "Disk", i + 1), category.detail, key + " Disk" + std::to_string(i + 1),
                  s.pieces[item.files.firstPiece + i].diskLabel, kDiskLabelCapacity);
}

// A Fonts item whose FontName an earlier one registers is never installed;
// a TTEs item needs its FontName registered by the time it is installed.
void ScriptChecker::CheckFontName(const Category& category, const InstallItem& item, const std::string& name) {
    const InstallScript& s = g_installScript;
    std::string fontName = "\"" + Utf8FromAnsi(item.fontName) + "\"";
    if (category.kind == Kind::Fonts) {
        for (int k = 0; &s.fontItems[k] != &item; ++k) {
            if (lstrcmpiA(s.fontItems[k].fontName, item.fontName) != 0) continue;
            std::string other = Utf8FromAnsi(s.fontItems[k].name);
            report_.Error(file_, Place(category, name, "FontName"),
                          fontName + " is the FontName of " + other + " ([Fonts] Font" + std::to_string(k + 1) +
                              ") too: the installer installs that one and never this one (\"" + name + "的字型名稱與" +
                              other + "相同,不再重複安裝!\")");
            return;
        }
    }
    if (category.kind == Kind::Eudc) {
        for (int k = 0; k < s.fontItemCount; ++k)
            if (lstrcmpiA(s.fontItems[k].fontName, item.fontName) == 0) return;
        report_.Warning(file_, Place(category, name, "FontName"),
                        fontName +
                            " is registered by no Fonts item of this script: the installer links the end-user "
                            "characters only on a machine that has that font already, and elsewhere shows \"" +
                            name + " 所對應的字形沒有安裝，請先安裝Sorvel字形!\"");
    }
}

// What an item needs of the machine beyond its file: a destination folder
// the installer can make (it makes the last folder alone), and for a table
// a key below HKEY_LOCAL_MACHINE it can create.
void ScriptChecker::CheckMachine(const Category& category, const InstallItem& item, const std::string& name) {
    if (category.kind != Kind::Misc && category.kind != Kind::Table) return;
    std::vector<std::string> missing = MissingFolders(item.destDir);
    if (missing.size() > 1) {
        std::string folders;
        for (size_t k = 0; k + 1 < missing.size(); ++k)
            folders += (k == 0 ? "" : k + 2 == missing.size() ? " and " : ", ") + Utf8FromAnsi(missing[k]);
        report_.Error(file_, Place(category, name, "DstDir"),
                      Utf8FromAnsi(item.destDir) + ": " + folders + (missing.size() > 2 ? " are" : " is") +
                          " not there, and the installer makes only the last folder of a destination: it shows " +
                          Message(IDS_CANNOT_CREATE_FILE, DestinationOf(category, item).c_str()));
    }
    if (category.kind != Kind::Table) return;
    std::string cannot = "the installer copies the table, then shows \"Can't Create Key " + Utf8FromAnsi(item.userKey) +
                         "\" and the input method is not registered";
    if (item.userKey[0] == '\0')
        report_.Error(file_, Place(category, name, "UserKey"), "empty or missing: " + cannot);
    else if (item.userKey[0] == '\\')
        report_.Error(file_, Place(category, name, "UserKey"),
                      "begins with a backslash, which no key below HKEY_LOCAL_MACHINE does: " + cannot);
}

bool ScriptChecker::CheckPieces(const Category& category, const InstallItem& item, const std::string& name) {
    const FileGroup& group = item.files;
    OpenMode mode = group.compressed && group.pieceCount == 1 ? OpenExpanding : OpenPlain;
    bool all = true;
    ui_.folders.clear();
    for (int i = 0; i < group.pieceCount; ++i) {
        const SourcePiece& piece = g_installScript.pieces[group.firstPiece + i];
        std::string place = Place(category, name, "File", i + 1);
        std::string fileName = Utf8FromAnsi(piece.fileName);
        std::string label = "\"" + Utf8FromAnsi(piece.diskLabel) + "\"";
        std::vector<Location> found = Locate(tree_, folder_, piece, mode);
        if (i == 0) firstPiece_ = found;
        if (found.empty()) {
            report_.Error(file_, place,
                          fileName + " is not on the disc: the installer asks for " + label + " and no folder has it");
            all = false;
            continue;
        }
        const Location& used = found.front();
        std::string read = Listed(tree_, used.file);
        if (lstrcmpiA(used.folder.c_str(), folder_.c_str()) == 0) {
            report_.Ok(file_, place, read + " beside the installer");
            continue;
        }
        // Not beside the installer: the user types the folder that holds it.
        ui_.folders.push_back({piece.fileName, tree_.Full(used.folder)});
        bool same = true;
        std::string others;
        for (size_t k = 1; k < found.size(); ++k) {
            same = same && SameBytes(used.file, found[k].file);
            others += (k > 1 ? ", " : "") + Listed(tree_, found[k].file);
        }
        if (!same) {
            report_.Error(file_, place,
                          read + " and " + others +
                              " differ: what is installed depends on the folder the user types when the installer "
                              "asks for " +
                              label);
            continue;
        }
        report_.Ok(file_, place,
                   read + ": the installer asks for " + label + " and the user types the disc's " +
                       Utf8FromAnsi(Where(used.folder)));
    }
    return all;
}

void ScriptChecker::CheckHeader(const Category& category, const InstallItem& item, const std::string& name) {
    if (firstPiece_.empty()) return;
    const FileGroup& group = item.files;
    std::string place = Place(category, name, "File", 1);
    std::string read = Listed(tree_, firstPiece_.front().file);
    LONG code;
    LONG length = ExpandedLength(firstPiece_.front().file, &code);
    if (!group.compressed) {
        // Plain pieces are appended as they are: a compressed one stays so.
        if (length >= 0)
            report_.Error(file_, place,
                          read +
                              " is a compressed file, but Compressed is 0: the installer copies the compressed "
                              "bytes as they are");
        return;
    }
    if (code < 0) {
        report_.Error(file_, place,
                      read + " has a compressed-file header that LZ32 refuses (" + std::to_string(code) +
                          "): the installer shows " + Message(IDS_EXPAND_BASE + static_cast<int>(code)));
    } else if (length < 0) {
        report_.Warning(file_, place,
                        read + " is not a compressed file, though Compressed is " + std::to_string(group.compressed) +
                            ": the installer copies it as it is");
    } else {
        report_.Ok(file_, place, read + " has a compressed-file header: " + std::to_string(length) + " bytes expanded");
    }
}

void ScriptChecker::CheckContents(const Category& category, const InstallItem& item, const std::string& name) {
    const FileGroup& group = item.files;
    bool joined = group.pieceCount > 1;
    std::string place = joined ? Place(category, name, "Files") : Place(category, name, "File", 1);
    ui_.shown.clear();
    CopyText(g_installSession.sourceDir, sizeof g_installSession.sourceDir, g_installScript.installerDir);
    g_installSession.abortFlag = 0;
    TransferOptions options;
    options.itemName = item.name;
    options.normalAttributes = 1;
    char destination[kPathCapacity];
    TransferResult result = TransferFileGroup(nullptr, group, scratch_.path().c_str(), options, destination);
    if (result != TransferDone) {
        std::string why;
        for (const std::string& shown : ui_.shown) why += (why.empty() ? "" : ", then ") + shown;
        if (result == TransferNoDestination) why = "its expanded copy could not be made in " + scratch_.path();
        report_.Error(file_, place, "the installer cannot install it: " + (why.empty() ? "it gives up" : why));
        return;
    }
    std::string path = destination;
    // Another item writes the same file: this one's bytes are kept for it.
    std::string destinationPath = DestinationOf(category, item);
    bool shared = std::count_if(planned_.begin(), planned_.end(), [&](const std::string& planned) {
                      return lstrcmpiA(planned.c_str(), destinationPath.c_str()) == 0;
                  }) > 1;
    if (shared) kept_ = keptFiles_.Keep(path, scratch_.path());
    if (!kept_.empty()) path = kept_;
    LONGLONG size = FileSize(path);
    std::string what =
        group.compressed ? (joined ? "joined and expanded: " : "expanded: ") : (joined ? "joined: " : "");
    what += std::to_string(size) + " bytes";
    if (group.compressed) what += ", the length its header gives";
    if (category.kind == Kind::Fonts || category.kind == Kind::Eudc) {
        FontFileCheck font = CheckFontFile(path);
        if (font.kind.empty() || !font.fault.empty()) {
            report_.Error(file_, place,
                          font.kind.empty() && font.fault.empty()
                              ? what + ", and not a TrueType or OpenType font (it begins " + Hex(path) +
                                    "): the installer would register it as one"
                          : font.kind.empty() ? what + ", not checked as a font: " + font.fault
                                              : what + ", " + font.kind + ", damaged: " + font.fault +
                                                    ": the installer would register it as it is");
            if (kept_.empty()) DeleteFileA(path.c_str());
            return;
        }
        what += ", " + font.kind;
        LONGLONG kilobytes = (size + 1023) / 1024;
        if (item.size < kilobytes) {
            report_.Warning(file_, Place(category, name, "Size"),
                            std::to_string(item.size) + " KB is less than the " + std::to_string(kilobytes) + " KB (" +
                                std::to_string(size) +
                                " bytes) the file takes: the free-space check would pass a disk that is too full");
        }
    }
    if (kept_.empty()) DeleteFileA(path.c_str());
    report_.Ok(file_, place, what);
}

// Two items that write one file: the later one's bytes replace the earlier
// one's. The same bytes lose nothing.
void ScriptChecker::CheckDestination(const Category& category, int n, const InstallItem& item,
                                     const std::string& name) {
    std::string path = DestinationOf(category, item);
    std::string self = name + " ([" + category.list + "] " + category.nameKey + std::to_string(n) + ")";
    for (const Destination& earlier : destinations_) {
        if (lstrcmpiA(earlier.path.c_str(), path.c_str()) != 0) continue;
        std::string writes = "writes " + Utf8FromAnsi(path) + ", as " + earlier.item + " does";
        bool compared = !kept_.empty() && !earlier.kept.empty();
        if (compared && SameBytes(kept_, earlier.kept))
            report_.Warning(file_, Place(category, name, "File", 1),
                            writes + ", with the same bytes: nothing is lost, but the file is written twice");
        else
            report_.Error(file_, Place(category, name, "File", 1),
                          writes + (compared ? ", with other bytes" : "") + ": the later one replaces it");
        break;
    }
    destinations_.push_back({path, self, kept_});
}

}  // namespace

void CheckInstallScripts(const DiscTree& tree, Report& report) {
    // The folders that hold the installer or a script, each once.
    std::vector<std::string> folders;
    for (const char* name : {kInstallerName, kScriptName}) {
        for (const std::string& file : tree.FilesNamed(name)) {
            std::string folder = FolderPart(file);
            bool known = false;
            for (const std::string& f : folders) known = known || lstrcmpiA(f.c_str(), folder.c_str()) == 0;
            if (!known) folders.push_back(folder);
        }
    }
    if (folders.empty()) {
        report.Ok("", "", "no font installer on this disc (no Tarsik.exe, no VEXA95.INI)");
        return;
    }
    for (const std::string& folder : folders) {
        const std::string* script = tree.FindFile(JoinRelative(folder, kScriptName));
        std::string scriptFile = script ? *script : JoinRelative(folder, kScriptName);
        if (!tree.FindFile(JoinRelative(folder, kInstallerName)))
            report.Warning(Utf8FromAnsi(scriptFile), "",
                           "no " + std::string(kInstallerName) + " beside it: no installer on the disc reads it");
        ScriptChecker(tree, report, folder, Utf8FromAnsi(scriptFile)).Run();
    }
}

}  // namespace vexacheck

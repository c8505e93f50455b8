#include "script_check.h"

#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "disc_tree.h"
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

// The font's kind from its sfnt header, or empty when the file is none.
std::string FontKind(const std::string& path, LONGLONG size) {
    unsigned char head[12] = {};
    DWORD read = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    BOOL ok = ReadFile(file, head, sizeof head, &read, nullptr);
    CloseHandle(file);
    if (!ok || read < sizeof head) return {};
    auto is = [&](const char* tag) { return std::equal(tag, tag + 4, reinterpret_cast<const char*>(head)); };
    if (is("ttcf")) return "a TrueType font collection";
    const char* kind = nullptr;
    if (is("true") || (head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0)) kind = "a TrueType font";
    if (is("OTTO")) kind = "an OpenType font";
    int tables = head[4] << 8 | head[5];
    if (!kind || tables == 0 || 12 + 16LL * tables > size) return {};
    return std::string(kind) + " of " + std::to_string(tables) + " tables";
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

// One destination file, for the check that no two groups write the same.
struct Destination {
    std::string path;
    std::string item;  // "漢維等寬體 ([Fonts] Font1)"
};

class ScriptChecker {
public:
    ScriptChecker(const DiscTree& tree, Report& report, const std::string& folder, const std::string& scriptFile)
        : tree_(tree), report_(report), folder_(folder), file_(scriptFile) {}

    void Run();

private:
    bool Load();
    void CheckItem(const Category& category, int n, const InstallItem& item);
    bool CheckPieces(const Category& category, const InstallItem& item, const std::string& name);
    void CheckHeader(const Category& category, const InstallItem& item, const std::string& name);
    void CheckContents(const Category& category, const InstallItem& item, const std::string& name);
    void CheckDestination(const Category& category, int n, const InstallItem& item, const std::string& name);
    std::string Place(const Category& category, const std::string& name, const char* key, int n = 0) const;

    const DiscTree& tree_;
    Report& report_;
    std::string folder_;  // the installer's folder, relative
    std::string file_;    // the script, relative, in UTF-8
    CheckerUi ui_;
    ScratchFolder scratch_;
    std::vector<Location> firstPiece_;  // where the current group's first piece lies
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

void ScriptChecker::Run() {
    EngineHooks hooks(&ui_);
    if (!Load()) return;
    const InstallScript& s = g_installScript;
    report_.Ok(file_, "",
               "loaded as the installer reads it (code page " + std::to_string(GetACP()) +
                   "): " + std::to_string(s.miscItemCount) + " Misc, " + std::to_string(s.fontItemCount) + " Fonts, " +
                   std::to_string(s.eudcItemCount) + " TTEs, " + std::to_string(s.tableItemCount) + " Tbls items; " +
                   std::to_string(s.piecesUsed) + (s.piecesUsed == 1 ? " piece" : " pieces"));
    if (scratch_.path().empty()) {
        report_.Error(file_, "", "no scratch folder for the expanded files: the files were not checked");
        return;
    }
    InitInstallSession(s);
    const Category categories[] = {
        {Kind::Misc, "Misc", "Misc Files", "Item", s.miscItems, s.miscItemCount},
        {Kind::Fonts, "Fonts", "Font Files", "Font", s.fontItems, s.fontItemCount},
        {Kind::Eudc, "TTEs", "TTE Files", "Font", s.eudcItems, s.eudcItemCount},
        {Kind::Table, "Tbls", "Tbls Files", "Tbl", s.tableItems, s.tableItemCount},
    };
    for (const Category& category : categories)
        for (int n = 1; n <= category.count; ++n) CheckItem(category, n, category.items[n - 1]);
}

void ScriptChecker::CheckItem(const Category& category, int n, const InstallItem& item) {
    std::string name = Utf8FromAnsi(item.name);
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
    report_.Ok(file_, std::string("[") + category.list + "] " + category.nameKey + std::to_string(n), what);

    CheckDestination(category, n, item, name);
    if (!CheckPieces(category, item, name)) return;
    CheckHeader(category, item, name);
    CheckContents(category, item, name);
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
    LONGLONG size = FileSize(path);
    std::string what =
        group.compressed ? (joined ? "joined and expanded: " : "expanded: ") : (joined ? "joined: " : "");
    what += std::to_string(size) + " bytes";
    if (group.compressed) what += ", the length its header gives";
    if (category.kind == Kind::Fonts || category.kind == Kind::Eudc) {
        std::string font = FontKind(path, size);
        if (font.empty()) {
            report_.Error(file_, place,
                          what + ", and not a TrueType or OpenType font (it begins " + Hex(path) +
                              "): the installer would register it as one");
            DeleteFileA(path.c_str());
            return;
        }
        what += ", " + font;
        LONGLONG kilobytes = (size + 1023) / 1024;
        if (item.size < kilobytes) {
            report_.Warning(file_, Place(category, name, "Size"),
                            std::to_string(item.size) + " KB is less than the " + std::to_string(kilobytes) + " KB (" +
                                std::to_string(size) +
                                " bytes) the file takes: the free-space check would pass a disk that is too full");
        }
    }
    DeleteFileA(path.c_str());
    report_.Ok(file_, place, what);
}

void ScriptChecker::CheckDestination(const Category& category, int n, const InstallItem& item,
                                     const std::string& name) {
    const InstallScript& s = g_installScript;
    const char* folder = category.kind == Kind::Fonts  ? s.fontsDir
                         : category.kind == Kind::Eudc ? s.windowsDir
                                                       : item.destDir;
    char path[kPathCapacity];
    JoinPath(path, sizeof path, folder, s.pieces[item.files.firstPiece].fileName);
    std::string self = name + " ([" + category.list + "] " + category.nameKey + std::to_string(n) + ")";
    for (const Destination& earlier : destinations_) {
        if (lstrcmpiA(earlier.path.c_str(), path) != 0) continue;
        report_.Error(file_, Place(category, name, "File", 1),
                      "writes " + Utf8FromAnsi(path) + ", as " + earlier.item + " does: the later one replaces it");
        break;
    }
    destinations_.push_back({path, self});
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

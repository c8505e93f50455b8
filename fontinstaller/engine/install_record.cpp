#include "install_record.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "ansi_text.h"
#include "box_text.h"
#include "temp_files.h"
#include "trace.h"
#include "user_interface.h"

namespace tarsik {

InstallRecord g_installRecord;

const char kRemoverName[] = "Tarsik.exe";
const char kRecordName[] = "Tarsik.rec";
const wchar_t kUninstallKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

const char kHeader[] = "Tarsik install record 1";
const char kProductsFolder[] = "Tarsik";
// The most a record file can take: every entry with every text at its
// longest, three UTF-8 bytes a character, escapes doubling some.
constexpr DWORD kMaxRecordBytes = 8u * 1024 * 1024;

char g_productsRoot[kPathCapacity] = "";

unsigned long long Fnv64(const unsigned char* bytes, size_t length, unsigned long long hash = 0xcbf29ce484222325ULL) {
    for (size_t i = 0; i < length; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
    return hash;
}

unsigned Fnv32(const std::string& text) {
    unsigned hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

// A file's bytes (at most kMaxRecordBytes); false when it cannot be read.
bool ReadWholeFile(const char* path, std::string* bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxRecordBytes;
    if (ok) {
        bytes->resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, bytes->data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(file);
    return ok;
}

// Texts of the record are the system code page's, kept as UTF-8, with a
// backslash before a backslash and for a tab or a line's end.
std::string Field(const char* text) {
    wchar_t wide[kPathCapacity];
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kPathCapacity);
    char utf8[kPathCapacity * 3];
    int m = n > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr) : 0;
    std::string field;
    for (const char* p = utf8; m > 0 && *p; ++p) {
        switch (*p) {
        case '\\':
            field += "\\\\";
            break;
        case '\t':
            field += "\\t";
            break;
        case '\r':
            field += "\\r";
            break;
        case '\n':
            field += "\\n";
            break;
        default:
            field += *p;
        }
    }
    return field;
}

// The other way; false when the field is not such a text or does not fit.
bool Unfield(const std::string& field, char* text, int capacity) {
    std::string utf8;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            utf8 += field[i];
            continue;
        }
        if (++i == field.size()) return false;
        const char c = field[i];
        utf8 += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c == '\\' ? '\\' : '\0';
        if (utf8.back() == '\0') return false;
    }
    wchar_t wide[kPathCapacity];
    int n =
        utf8.empty() ? 1 : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.c_str(), -1, wide, kPathCapacity);
    if (utf8.empty()) wide[0] = L'\0';
    if (n <= 0) return false;
    BOOL lossy = FALSE;
    int m = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, capacity, nullptr, &lossy);
    return m > 0 && !lossy;
}

const char* RootName(HKEY root) { return root == HKEY_CURRENT_USER ? "HKCU" : "HKLM"; }

const char* KindName(RecordKind kind) {
    static const char* const kNames[] = {"file", "directory", "value", "key", "font", "program item"};
    return kNames[kind];
}

std::string EntryLine(const RecordEntry& e) {
    std::string line = KindName(e.kind);
    auto add = [&line](const std::string& field) { line += "\t" + field; };
    char number[16];
    switch (e.kind) {
    case RecordedValue:
    case RecordedKey:
        add(RootName(e.root));
        std::snprintf(number, sizeof number, "%lx", static_cast<unsigned long>(e.view));
        add(number);
        add(Field(e.path));
        if (e.kind == RecordedValue) {
            add(Field(e.name));
            add(Field(e.data));
            add(e.previous ? "1" : "0");
            add(Field(e.previousData));
        }
        break;
    case RecordedProgramItem:
        add(Field(e.path));
        add(Field(e.name));
        add(e.previous ? "1" : "0");
        break;
    default:
        add(Field(e.path));
        break;
    }
    return line;
}

std::string RecordText(const InstallRecord& record) {
    std::string text = std::string(kHeader) + "\r\nproduct\t" + record.id + "\r\n";
    for (int i = 0; i < record.count; ++i) text += EntryLine(record.entries[i]) + "\r\n";
    char end[48];
    std::snprintf(end, sizeof end, "end\t%d\t%08x\r\n", record.count, Fnv32(text));
    return text + end;
}

// One line of the record into an entry; false when it does not read.
bool ParseEntry(const std::string& line, RecordEntry* e) {
    std::string fields[8];
    int count = 0;
    for (size_t from = 0;; ++count) {
        size_t tab = line.find('\t', from);
        if (count == 8) return false;
        fields[count] = line.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
        if (tab == std::string::npos) break;
        from = tab + 1;
    }
    ++count;
    std::memset(e, 0, sizeof *e);
    int kind = -1;
    for (int k = RecordedFile; k <= RecordedProgramItem; ++k)
        if (fields[0] == KindName(static_cast<RecordKind>(k))) kind = k;
    if (kind < 0) return false;
    e->kind = static_cast<RecordKind>(kind);
    auto flag = [](const std::string& f, int* value) {
        if (f != "0" && f != "1") return false;
        *value = f == "1";
        return true;
    };
    switch (e->kind) {
    case RecordedValue:
    case RecordedKey: {
        if (count != (e->kind == RecordedValue ? 8 : 4)) return false;
        if (fields[1] != "HKLM" && fields[1] != "HKCU") return false;
        e->root = fields[1] == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        char* end = nullptr;
        e->view = static_cast<REGSAM>(std::strtoul(fields[2].c_str(), &end, 16));
        if (fields[2].empty() || *end) return false;
        if (!Unfield(fields[3], e->path, kPathCapacity) || e->path[0] == '\0') return false;
        if (e->kind == RecordedKey) return true;
        return Unfield(fields[4], e->name, kPathCapacity) && Unfield(fields[5], e->data, kPathCapacity) &&
               flag(fields[6], &e->previous) && Unfield(fields[7], e->previousData, kPathCapacity);
    }
    case RecordedProgramItem:
        return count == 4 && Unfield(fields[1], e->path, kPathCapacity) && e->path[0] &&
               Unfield(fields[2], e->name, kPathCapacity) && e->name[0] && flag(fields[3], &e->previous);
    default:
        return count == 2 && Unfield(fields[1], e->path, kPathCapacity) && e->path[0] != '\0';
    }
}

bool SameEntry(const RecordEntry& a, const RecordEntry& b) {
    if (a.kind != b.kind || lstrcmpiA(a.path, b.path) != 0) return false;
    switch (a.kind) {
    case RecordedValue:
        return a.root == b.root && a.view == b.view && lstrcmpiA(a.name, b.name) == 0;
    case RecordedKey:
        return a.root == b.root && a.view == b.view;
    case RecordedProgramItem:
        return lstrcmpiA(a.name, b.name) == 0;
    default:
        return true;
    }
}

bool RecordOpen() { return g_installRecord.folder[0] != '\0'; }

void ShowRecordFault(HWND owner, const char* path) {
    ShowFormattedBox(owner, "無法寫入安裝記錄 %s !", {SystemText(path)});
}

// Adds the entry (unless it is there) and writes the record.
int Add(HWND owner, const RecordEntry& entry) {
    if (!RecordOpen()) return 1;
    InstallRecord& r = g_installRecord;
    for (int i = 0; i < r.count; ++i) {
        RecordEntry& known = r.entries[i];
        if (!SameEntry(known, entry)) continue;
        // A value written anew keeps what it replaced the first time; a
        // group once made for an item stays so.
        bool changed = false;
        if (entry.kind == RecordedValue && std::strcmp(known.data, entry.data) != 0) {
            CopyText(known.data, kPathCapacity, entry.data);
            changed = true;
        }
        if (entry.kind == RecordedProgramItem && entry.previous && !known.previous) {
            known.previous = 1;
            changed = true;
        }
        if (!changed || SaveInstallRecord(r)) return 1;
        ShowRecordFault(owner, r.path);
        return 0;
    }
    if (r.count < kMaxRecordEntries) {
        r.entries[r.count++] = entry;
        if (SaveInstallRecord(r)) return 1;
        --r.count;
    }
    ShowRecordFault(owner, r.path);
    return 0;
}

RecordEntry Entry(RecordKind kind, const char* path) {
    RecordEntry e;
    std::memset(&e, 0, sizeof e);
    e.kind = kind;
    e.root = HKEY_LOCAL_MACHINE;
    CopyText(e.path, kPathCapacity, path);
    return e;
}

void ProductsRoot(char (&root)[kPathCapacity]) {
    if (g_productsRoot[0]) {
        CopyText(root, kPathCapacity, g_productsRoot);
        return;
    }
    // Program Files of this program's kind: a 32-bit installer's programs
    // go to the 32-bit folder of 64-bit Windows, as its entries do.
    DWORD n = GetEnvironmentVariableA("ProgramFiles", root, kPathCapacity);
    if (n > 0 && n < kPathCapacity) return;
    root[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        DWORD size = kPathCapacity - 1, type = 0;
        if (RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(root), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ)
            root[size] = '\0';
        else
            root[0] = '\0';
        RegCloseKey(key);
    }
    if (root[0] == '\0') {
        char windows[kPathCapacity];
        UINT w = GetWindowsDirectoryA(windows, sizeof windows);
        std::snprintf(root, kPathCapacity, "%.2s\\Program Files", w >= 2 ? windows : "C:");
    }
}

bool IsDirectory(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder made when missing; false when it is not there afterwards.
bool MakeFolder(const char* path) { return CreateDirectoryA(path, nullptr) || IsDirectory(path); }

// A copy of this installer in the product's folder, to remove the product
// when the disc is gone. An earlier copy that is the same stays; the
// installer running from that folder (a removal) is never copied onto
// itself.
bool PlaceRemover(const char* folder) {
    char self[kPathCapacity], remover[kPathCapacity], build[kPathCapacity];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n == 0 || n >= sizeof self || !JoinPath(remover, sizeof remover, folder, kRemoverName)) return false;
    if (lstrcmpiA(self, remover) == 0) return true;
    std::string mine, theirs;
    if (ReadWholeFile(remover, &theirs) && ReadWholeFile(self, &mine) && mine == theirs) return true;
    if (!CreateOwnTempFile(folder, build)) return false;
    bool placed = CopyFileA(self, build, FALSE) &&
                  MoveFileExA(build, remover, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!placed) DeleteFileA(build);
    return placed;
}

// A wide text of the script (code page 950) or the default.
void ProductText(wchar_t (&out)[kNameCapacity], const char* scripted, const wchar_t* fallback) {
    out[0] = L'\0';
    if (scripted[0] && MultiByteToWideChar(950, 0, scripted, -1, out, kNameCapacity) > 0) return;
    lstrcpynW(out, fallback ? fallback : L"", kNameCapacity);
}

LONG SetText(HKEY key, const wchar_t* name, const wchar_t* text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
}

LONG SetNumber(HKEY key, const wchar_t* name, DWORD number) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

void EntryKeyPath(const char* id, wchar_t (&path)[160]) {
    std::swprintf(path, 160, L"%ls\\%hs", kUninstallKeyPath, id);
}

// The kilobytes the recorded files take.
DWORD RecordedKilobytes(const InstallRecord& r) {
    unsigned long long bytes = 0;
    for (int i = 0; i < r.count; ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (r.entries[i].kind == RecordedFile && GetFileAttributesExA(r.entries[i].path, GetFileExInfoStandard, &data))
            bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return static_cast<DWORD>((bytes + 1023) / 1024);
}

// The product's Apps & features entry: how it is named and removed.
bool WriteProductEntry(const InstallScript& script, const InstallRecord& r, const ProductDefaults& defaults) {
    wchar_t path[160];
    EntryKeyPath(r.id, path);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    wchar_t name[kNameCapacity], version[kNameCapacity], publisher[kNameCapacity];
    ProductText(name, script.productName, defaults.name);
    ProductText(version, script.productVersion, defaults.version);
    ProductText(publisher, script.productPublisher, defaults.publisher);
    wchar_t folder[kPathCapacity], remover[kPathCapacity + 40], removal[kPathCapacity + 40], quiet[kPathCapacity + 40],
        date[16];
    MultiByteToWideChar(CP_ACP, 0, r.folder, -1, folder, kPathCapacity);
    std::swprintf(remover, kPathCapacity + 40, L"%ls\\%hs,0", folder, kRemoverName);
    std::swprintf(removal, kPathCapacity + 40, L"\"%ls\\%hs\" /UNINSTALL", folder, kRemoverName);
    std::swprintf(quiet, kPathCapacity + 40, L"\"%ls\\%hs\" /UNINSTALL /S", folder, kRemoverName);
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::swprintf(date, 16, L"%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    LONG failed = SetText(key, L"DisplayName", name) | SetText(key, L"DisplayVersion", version) |
                  SetText(key, L"Publisher", publisher) | SetText(key, L"InstallDate", date) |
                  SetText(key, L"InstallLocation", folder) | SetText(key, L"DisplayIcon", remover) |
                  SetText(key, L"UninstallString", removal) | SetText(key, L"QuietUninstallString", quiet) |
                  SetNumber(key, L"NoModify", 1) | SetNumber(key, L"NoRepair", 1) |
                  SetNumber(key, L"EstimatedSize", RecordedKilobytes(r));
    RegCloseKey(key);
    return failed == ERROR_SUCCESS;
}

}  // namespace

int ProductIdentity(const InstallScript& script, char (&id)[kProductIdCapacity]) {
    id[0] = '\0';
    unsigned long long hash;
    if (script.productName[0]) {
        const char* parts[] = {script.productName, script.productVersion, script.productPublisher};
        hash = 0xcbf29ce484222325ULL;
        for (const char* part : parts) {
            hash = Fnv64(reinterpret_cast<const unsigned char*>(part), std::strlen(part), hash);
            hash = Fnv64(reinterpret_cast<const unsigned char*>("\n"), 1, hash);
        }
    } else {
        std::string bytes;
        if (!ReadWholeFile(script.scriptPath, &bytes)) return 0;
        hash = Fnv64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    }
    std::snprintf(id, sizeof id, "Tarsik-%016llx", hash);
    return 1;
}

void SetProductsRoot(const char* root) { CopyText(g_productsRoot, sizeof g_productsRoot, root ? root : ""); }

int OpenInstallRecord(HWND owner, const ProductDefaults& defaults) {
    InstallRecord& r = g_installRecord;
    std::memset(&r, 0, sizeof r);
    char id[kProductIdCapacity], root[kPathCapacity], products[kPathCapacity], folder[kPathCapacity],
        path[kPathCapacity];
    ProductsRoot(root);
    if (!ProductIdentity(g_installScript, id) || !JoinPath(products, sizeof products, root, kProductsFolder) ||
        !JoinPath(folder, sizeof folder, products, id) || !JoinPath(path, sizeof path, folder, kRecordName)) {
        ShowRecordFault(owner, root);
        return 0;
    }
    if (!MakeFolder(products) || !MakeFolder(folder) || !PlaceRemover(folder)) {
        ShowRecordFault(owner, folder);
        return 0;
    }
    // An earlier install of the same product: its record goes on. One that
    // cannot be read is not replaced, or what it names would be lost to the
    // removal.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        if (!LoadInstallRecord(path, &r) || std::strcmp(r.id, id) != 0) {
            std::memset(&r, 0, sizeof r);
            ShowFormattedBox(owner, "安裝記錄 %s 已損壞,無法繼續安裝!", {SystemText(path)});
            return 0;
        }
    }
    CopyText(r.id, sizeof r.id, id);
    CopyText(r.folder, sizeof r.folder, folder);
    CopyText(r.path, sizeof r.path, path);
    // The record before the entry: an entry never names a product whose
    // record is not there.
    if (!SaveInstallRecord(r) || !WriteProductEntry(g_installScript, r, defaults)) {
        ShowRecordFault(owner, path);
        std::memset(&r, 0, sizeof r);
        return 0;
    }
    Trace("Install record %s, Apps & features entry %s\n", r.path, r.id);
    return 1;
}

void CloseInstallRecord() {
    InstallRecord& r = g_installRecord;
    if (!RecordOpen()) return;
    if (r.count > 0) {
        wchar_t path[160];
        EntryKeyPath(r.id, path);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            SetNumber(key, L"EstimatedSize", RecordedKilobytes(r));
            RegCloseKey(key);
        }
    } else {
        // Nothing of this product is on the machine: no entry for it.
        char remover[kPathCapacity], products[kPathCapacity];
        DeleteProductEntry(r.id);
        DeleteFileA(r.path);
        if (JoinPath(remover, sizeof remover, r.folder, kRemoverName)) DeleteFileA(remover);
        RemoveDirectoryA(r.folder);
        CopyText(products, sizeof products, r.folder);
        products[FileNamePart(products) - products] = '\0';
        RemoveDirectoryA(products);
    }
    std::memset(&r, 0, sizeof r);
}

int RecordFile(HWND owner, const char* path) { return Add(owner, Entry(RecordedFile, path)); }

int RecordDirectory(HWND owner, const char* path) { return Add(owner, Entry(RecordedDirectory, path)); }

int RecordValue(HWND owner, HKEY root, REGSAM view, const char* key, const char* name, const char* data) {
    if (!RecordOpen()) return 1;
    RecordEntry e = Entry(RecordedValue, key);
    e.root = root;
    e.view = view;
    CopyText(e.name, kPathCapacity, name);
    CopyText(e.data, kPathCapacity, data);
    // What the value held before the installer wrote it, to be given back.
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &opened) == ERROR_SUCCESS) {
        DWORD type = 0, size = kPathCapacity - 1;
        if (RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(e.previousData), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            e.previousData[size] = '\0';
            e.previous = 1;
        } else {
            e.previousData[0] = '\0';
        }
        RegCloseKey(opened);
    }
    return Add(owner, e);
}

int RecordKey(HWND owner, HKEY root, REGSAM view, const char* key) {
    RecordEntry e = Entry(RecordedKey, key);
    e.root = root;
    e.view = view;
    return Add(owner, e);
}

int RecordFont(HWND owner, const char* registryData) { return Add(owner, Entry(RecordedFont, registryData)); }

int RecordProgramItem(HWND owner, const char* group, const char* item, int groupMadeForIt) {
    RecordEntry e = Entry(RecordedProgramItem, group);
    CopyText(e.name, kPathCapacity, item);
    e.previous = groupMadeForIt;
    return Add(owner, e);
}

int LoadInstallRecord(const char* path, InstallRecord* record) {
    std::memset(record, 0, sizeof *record);
    std::string text;
    if (!ReadWholeFile(path, &text)) return 0;
    // The last line checks all before it.
    size_t endAt = text.rfind("end\t");
    if (endAt == std::string::npos || (endAt > 0 && text[endAt - 1] != '\n')) return 0;
    const std::string endLine = text.substr(endAt);
    if (endLine.size() < 6 || endLine.compare(endLine.size() - 2, 2, "\r\n") != 0) return 0;
    const char* p = endLine.c_str() + 4;
    char* stop = nullptr;
    const long count = std::strtol(p, &stop, 10);
    if (stop == p || *stop != '\t') return 0;
    p = stop + 1;
    const unsigned long check = std::strtoul(p, &stop, 16);
    if (stop - p != 8 || std::strcmp(stop, "\r\n") != 0) return 0;
    if (Fnv32(text.substr(0, endAt)) != check || count < 0 || count > kMaxRecordEntries) return 0;
    int lines = 0;
    for (size_t from = 0; from < endAt; ++lines) {
        size_t end = text.find("\r\n", from);
        if (end == std::string::npos || end >= endAt) return 0;
        const std::string line = text.substr(from, end - from);
        from = end + 2;
        if (lines == 0) {
            if (line != kHeader) return 0;
        } else if (lines == 1) {
            if (line.rfind("product\t", 0) != 0 || line.size() - 8 >= sizeof record->id) return 0;
            CopyText(record->id, sizeof record->id, line.c_str() + 8);
        } else {
            if (record->count >= count || !ParseEntry(line, &record->entries[record->count])) return 0;
            ++record->count;
        }
    }
    if (lines < 2 || record->count != count) return 0;
    CopyText(record->path, sizeof record->path, path);
    CopyText(record->folder, sizeof record->folder, path);
    record->folder[FileNamePart(record->folder) - record->folder] = '\0';
    if (EndsWithBackslash(record->folder) && std::strlen(record->folder) > 3)
        record->folder[std::strlen(record->folder) - 1] = '\0';
    return 1;
}

int SaveInstallRecord(const InstallRecord& record) {
    const std::string text = RecordText(record);
    char build[kPathCapacity];
    if (!CreateOwnTempFile(record.folder, build)) return 0;
    HANDLE file = CreateFileA(build, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool whole = file != INVALID_HANDLE_VALUE &&
                 WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                 written == text.size() && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (whole && MoveFileExA(build, record.path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 1;
    DeleteFileA(build);
    return 0;
}

int DeleteProductEntry(const char* id) {
    wchar_t path[160];
    EntryKeyPath(id, path);
    LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace tarsik

#include "registry_access.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "platform_version.h"

namespace tarsik {

REGSAM MachineView() { return NtAtLeast(5, 1) ? KEY_WOW64_64KEY : 0; }

int OpenKeyForWriting(HKEY root, const char* path, HKEY* key) {
    *key = nullptr;
    // The current user's keys that the installer writes (the EUDC links)
    // are the same in both views.
    const REGSAM view = root == HKEY_LOCAL_MACHINE ? MachineView() : 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_WRITE | view, &opened) == ERROR_SUCCESS) {
        *key = opened;
        return 1;
    }
    HKEY created = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(created);
    if (RegOpenKeyExA(root, path, 0, KEY_WRITE | view, &opened) != ERROR_SUCCESS) return 0;
    *key = opened;
    return 1;
}

int WriteStringValue(HKEY key, const char* name, const char* data) {
    DWORD size = static_cast<DWORD>(std::strlen(data) + 1);
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

int ValueExists(HKEY key, const char* name) {
    // Asking only for the size: a value of any length answers ERROR_SUCCESS.
    DWORD type = 0, size = 0;
    return RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

namespace {

REGSAM ViewOf(HKEY root) { return root == HKEY_LOCAL_MACHINE ? MachineView() : 0; }

bool KeyExists(HKEY root, const char* path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

using DeleteKeyExProc = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

// Deletes an empty key in its view; systems without views have the plain call.
LONG DeleteKeyInView(HKEY root, const char* path, REGSAM view) {
    HMODULE advapi = GetModuleHandleA("ADVAPI32.DLL");
    auto deleteEx =
        advapi ? reinterpret_cast<DeleteKeyExProc>(reinterpret_cast<void*>(GetProcAddress(advapi, "RegDeleteKeyExA")))
               : nullptr;
    if (deleteEx) return deleteEx(root, path, view, 0);
    return RegDeleteKeyA(root, path);
}

}  // namespace

int RecordMissingKeys(HWND owner, HKEY root, const char* path) {
    const REGSAM view = ViewOf(root);
    char prefix[kPathCapacity];
    // Each backslash ends a key of the path, and so does the path's end.
    for (const char* p = path;; p = CharNextA(p)) {
        if (*p != '\\' && *p != '\0') continue;
        const size_t length = static_cast<size_t>(p - path);
        if (length > 0 && length < sizeof prefix) {
            std::memcpy(prefix, path, length);
            prefix[length] = '\0';
            if (!KeyExists(root, prefix, view) && !RecordKey(owner, root, view, prefix)) return 0;
        }
        if (*p == '\0') return 1;
    }
}

int RecordWrittenValue(HWND owner, HKEY root, const char* key, const char* name, const char* data) {
    return RecordValue(owner, root, ViewOf(root), key, name, data);
}

EntryOutcome RemoveWrittenValue(const RecordEntry& entry, char* why) {
    why[0] = '\0';
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExA(entry.root, entry.path, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | entry.view, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return EntryRemoved;
    if (opened != ERROR_SUCCESS) {
        std::snprintf(why, kWhyCapacity, "無法開啟登錄機碼 (Windows 錯誤 %ld)", static_cast<long>(opened));
        return EntryNotRemoved;
    }
    char held[kPathCapacity];
    DWORD type = 0, size = sizeof held - 1;
    LONG read = RegQueryValueExA(key, entry.name, nullptr, &type, reinterpret_cast<BYTE*>(held), &size);
    EntryOutcome outcome = EntryRemoved;
    if (read == ERROR_SUCCESS && type == REG_SZ) {
        held[size] = '\0';
        // Another program's value since: not ours to change.
        if (std::strcmp(held, entry.data) == 0) {
            LONG changed = entry.previous ? (WriteStringValue(key, entry.name, entry.previousData) ? ERROR_SUCCESS
                                                                                                   : ERROR_WRITE_FAULT)
                                          : RegDeleteValueA(key, entry.name);
            if (changed != ERROR_SUCCESS && changed != ERROR_FILE_NOT_FOUND) {
                std::snprintf(why, kWhyCapacity, "無法變更登錄值 (Windows 錯誤 %ld)", static_cast<long>(changed));
                outcome = EntryNotRemoved;
            }
        }
    }
    RegCloseKey(key);
    return outcome;
}

EntryOutcome RemoveMadeKey(const RecordEntry& entry, char* why) {
    why[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(entry.root, entry.path, 0, KEY_QUERY_VALUE | entry.view, &key) != ERROR_SUCCESS)
        return EntryRemoved;
    DWORD keys = 0, values = 0;
    LONG info = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                                 nullptr, nullptr);
    RegCloseKey(key);
    // Something else is kept in it: it stays.
    if (info != ERROR_SUCCESS || keys > 0 || values > 0) return EntryRemoved;
    LONG deleted = DeleteKeyInView(entry.root, entry.path, entry.view);
    if (deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND) return EntryRemoved;
    std::snprintf(why, kWhyCapacity, "無法刪除登錄機碼 (Windows 錯誤 %ld)", static_cast<long>(deleted));
    return EntryNotRemoved;
}

}  // namespace tarsik

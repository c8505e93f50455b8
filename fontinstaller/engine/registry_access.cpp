#include "registry_access.h"

#include <cstring>

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

}  // namespace tarsik

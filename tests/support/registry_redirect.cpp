#include "registry_redirect.h"

#include <cstdio>
#include <stdexcept>

namespace vexatest {

namespace {

// Where the installer's keys are read back: the 64-bit view.
constexpr REGSAM kSystemView = KEY_WOW64_64KEY;
REGSAM g_view = kSystemView;

bool UnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

void RegistryRedirect::SetView(REGSAM view) { g_view = view; }

RegistryRedirect::RegistryRedirect() {
    char name[96];
    std::snprintf(name, sizeof name, "Software\\VexaTest\\%lu-%lu", GetCurrentProcessId(),
                  static_cast<unsigned long>(GetTickCount()));
    scratchPath_ = name;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &scratch_, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the scratch registry key");
    if (RegCreateKeyExA(scratch_, "HKLM", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &machine_,
                        nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExA(scratch_, "HKCU", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &user_,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the redirected roots");
    HKEY view32 = nullptr;
    if (UnderWow64() && RegCreateKeyExA(machine_, "Software\\Wow6432Node", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS | kSystemView, nullptr, &view32, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot give the redirected machine key its 32-bit view");
    if (view32) RegCloseKey(view32);
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, user_) != ERROR_SUCCESS)
        throw std::runtime_error("RegOverridePredefKey failed");
}

RegistryRedirect::~RegistryRedirect() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(machine_);
    RegCloseKey(user_);
    RegCloseKey(scratch_);
    RegDeleteTreeA(HKEY_CURRENT_USER, scratchPath_.c_str());
}

bool RegistryRedirect::CreateKey(HKEY root, const std::string& path) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | g_view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool RegistryRedirect::KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | g_view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool RegistryRedirect::SetString(HKEY root, const std::string& path, const std::string& name,
                                 const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | g_view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistryRedirect::GetValue(HKEY root, const std::string& path, const std::string& name, std::string* data,
                                DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | g_view, &key) != ERROR_SUCCESS) return false;
    DWORD kind = 0, size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &kind, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        std::string buffer(size, '\0');
        rc = RegQueryValueExA(key, name.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(buffer.data()), &size);
        buffer.resize(size);
        if ((kind == REG_SZ || kind == REG_EXPAND_SZ) && !buffer.empty() && buffer.back() == '\0') buffer.pop_back();
        if (data) *data = buffer;
        if (type) *type = kind;
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistryRedirect::DeleteValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE | g_view, &key) != ERROR_SUCCESS) return false;
    LONG rc = RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistryRedirect::DeleteKey(HKEY root, const std::string& path) {
    return RegDeleteKeyExA(root, path.c_str(), g_view, 0) == ERROR_SUCCESS;
}

std::string RegistryRedirect::ValueOrMissing(HKEY root, const std::string& path, const std::string& name, DWORD* type) {
    std::string data;
    return GetValue(root, path, name, &data, type) ? data : "<missing>";
}

}  // namespace vexatest

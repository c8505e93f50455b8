#include "durable_registry_redirect.h"

#include <cstdio>
#include <stdexcept>

namespace vexatest {

namespace {

HKEY CreateRoot(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the scratch registry root " + path);
    return key;
}

}  // namespace

DurableRegistryRedirect::DurableRegistryRedirect() {
    char name[96];
    std::snprintf(name, sizeof name, "Software\\VexaTestDurable\\%lu-%lu", GetCurrentProcessId(),
                  static_cast<unsigned long>(GetTickCount()));
    scratchPath_ = name;
    machine_ = CreateRoot(scratchPath_ + "\\HKLM");
    user_ = CreateRoot(scratchPath_ + "\\HKCU");
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, user_) != ERROR_SUCCESS)
        throw std::runtime_error("RegOverridePredefKey failed");
}

DurableRegistryRedirect::~DurableRegistryRedirect() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(machine_);
    RegCloseKey(user_);
    RegDeleteTreeA(HKEY_CURRENT_USER, scratchPath_.c_str());
}

}  // namespace vexatest

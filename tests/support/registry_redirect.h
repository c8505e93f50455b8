// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process into a
// scratch key, so a test sees exactly what the code under test wrote and
// never touches the prefix's real keys. The scratch keys are ordinary
// (non-volatile) ones, since a volatile key cannot hold the ordinary keys
// that the code under test creates; the tree is removed at the end.
#pragma once
#include <windows.h>

#include <string>

namespace vexatest {

class RegistryRedirect {
public:
    RegistryRedirect();
    ~RegistryRedirect();
    RegistryRedirect(const RegistryRedirect&) = delete;
    RegistryRedirect& operator=(const RegistryRedirect&) = delete;

    // Creates a key (with its path) below a redirected root.
    static bool CreateKey(HKEY root, const std::string& path);
    static bool KeyExists(HKEY root, const std::string& path);
    // Writes a REG_SZ value, creating the key when needed.
    static bool SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
    // Reads a value; false when it is missing. type receives its type.
    static bool GetValue(HKEY root, const std::string& path, const std::string& name, std::string* data,
                         DWORD* type = nullptr);

    // The value's data, or "<missing>" when there is none.
    static std::string ValueOrMissing(HKEY root, const std::string& path, const std::string& name,
                                      DWORD* type = nullptr);

private:
    HKEY scratch_ = nullptr;
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
    std::string scratchPath_;
};

}  // namespace vexatest

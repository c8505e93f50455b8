// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process into a
// scratch key, so a test sees exactly what the code under test wrote and
// never touches the prefix's real keys. The scratch keys are ordinary
// (non-volatile) ones, since a volatile key cannot hold the ordinary keys
// that the code under test creates; the tree is removed at the end.
//
// A 32-bit test program on 64-bit Windows sees HKEY_LOCAL_MACHINE\Software
// in two views: the 32-bit programs' (its default) and the 64-bit one,
// which the system reads. Wine tells them apart by the tree itself: a key
// with a Wow6432Node sub-key sends a 32-bit program's default access into
// it. The redirected HKEY_LOCAL_MACHINE gets that shape too under WOW64,
// and every helper here works in the 64-bit view, where the installer
// writes: a value written in the 32-bit view is then missing for them, as
// it is for the system. A test that plays a system without views (Windows
// 95, NT before 5.1) sets the view to none, the one registry such a system
// has.
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

    // The view the helpers below work in: KEY_WOW64_64KEY, or 0 for none.
    static void SetView(REGSAM view);

    // Creates a key (with its path) below a redirected root.
    static bool CreateKey(HKEY root, const std::string& path);
    static bool KeyExists(HKEY root, const std::string& path);
    // Writes a REG_SZ value, creating the key when needed.
    static bool SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
    // Reads a value; false when it is missing. type receives its type.
    static bool GetValue(HKEY root, const std::string& path, const std::string& name, std::string* data,
                         DWORD* type = nullptr);

    // Deletes a value, or a key that has no sub-keys.
    static bool DeleteValue(HKEY root, const std::string& path, const std::string& name);
    static bool DeleteKey(HKEY root, const std::string& path);

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

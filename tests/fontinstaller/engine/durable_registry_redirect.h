// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER into a scratch key, like
// vexatest::RegistryRedirect, but with non-volatile scratch roots: the
// installer creates its keys non-volatile, and the registry refuses a
// non-volatile key below a volatile one (ERROR_CHILD_MUST_BE_VOLATILE). The
// scratch tree (under its own parent key: RegistryRedirect makes its parent
// volatile) is deleted at the end. Read the results with
// RegistryRedirect's static helpers.
#pragma once
#include <windows.h>

#include <string>

namespace vexatest {

class DurableRegistryRedirect {
public:
    DurableRegistryRedirect();
    ~DurableRegistryRedirect();
    DurableRegistryRedirect(const DurableRegistryRedirect&) = delete;
    DurableRegistryRedirect& operator=(const DurableRegistryRedirect&) = delete;

private:
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
    std::string scratchPath_;
};

}  // namespace vexatest

// Runs the installer's engine as one family of Windows while it lives, by
// the version number GetVersion would give there.
#pragma once

#include <windows.h>

#include "font_registry.h"
#include "registry_access.h"
#include "registry_redirect.h"

namespace vexatest {

// 4.0 build 950 with the high bit set, as the Windows 95 family reports.
inline DWORD WINAPI Windows95() { return 0xC3B60004; }
// 5.0 build 2195, as Windows 2000 reports: the NT family before WOW64.
inline DWORD WINAPI Windows2000() { return 0x08930005; }
// 6.2 build 9200, as today's Windows reports to a program without a manifest.
inline DWORD WINAPI WindowsNt() { return 0x23F00206; }

class WindowsFamily {
public:
    // The registry helpers read where that system's installer writes.
    explicit WindowsFamily(tarsik::VersionSource version) {
        tarsik::SetVersionSource(version);
        RegistryRedirect::SetView(tarsik::MachineView());
    }
    ~WindowsFamily() {
        tarsik::SetVersionSource(nullptr);
        RegistryRedirect::SetView(KEY_WOW64_64KEY);
    }
    WindowsFamily(const WindowsFamily&) = delete;
    WindowsFamily& operator=(const WindowsFamily&) = delete;
};

}  // namespace vexatest

// Runs the font registration as one family of Windows while it lives, by
// the version number GetVersion would give there.
#pragma once

#include <windows.h>

#include "font_registry.h"

namespace vexatest {

// 4.0 build 950 with the high bit set, as the Windows 95 family reports.
inline DWORD WINAPI Windows95() { return 0xC3B60004; }
// 6.2 build 9200, as today's Windows reports to a program without a manifest.
inline DWORD WINAPI WindowsNt() { return 0x23F00206; }

class WindowsFamily {
public:
    explicit WindowsFamily(tarsik::VersionSource version) { tarsik::SetVersionSource(version); }
    ~WindowsFamily() { tarsik::SetVersionSource(nullptr); }
    WindowsFamily(const WindowsFamily&) = delete;
    WindowsFamily& operator=(const WindowsFamily&) = delete;
};

}  // namespace vexatest

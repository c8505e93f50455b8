// Which Windows the installer runs on, by the version number GetVersion
// gives: the Windows 95 family or the NT family, and which NT. Tests hand in
// a version of their own to run as another system.
#pragma once

#include <windows.h>

namespace tarsik {

using VersionSource = DWORD(WINAPI*)();
// nullptr restores GetVersion.
void SetVersionSource(VersionSource source);

// The Windows 95 family sets the high bit; the NT family does not.
bool OnNtFamily();
// The NT family at version major.minor or later.
bool NtAtLeast(int major, int minor);

}  // namespace tarsik

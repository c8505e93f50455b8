#include "platform_version.h"

namespace tarsik {

namespace {

VersionSource g_version = GetVersion;

}  // namespace

void SetVersionSource(VersionSource source) { g_version = source ? source : GetVersion; }

bool OnNtFamily() { return (g_version() & 0x80000000u) == 0; }

bool NtAtLeast(int major, int minor) {
    // The low word: the major version in its low byte, the minor in its high.
    const DWORD version = g_version();
    const int found = LOBYTE(LOWORD(version)) * 256 + HIBYTE(LOWORD(version));
    return OnNtFamily() && found >= major * 256 + minor;
}

}  // namespace tarsik

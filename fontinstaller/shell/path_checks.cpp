#include "path_checks.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"

namespace tarsik {

namespace {

// The current directory of a drive (of any letter case); 0 when the drive
// does not exist.
int DriveCurrentDirectory(char letter, char* directory) {
    letter = static_cast<char>(letter & ~0x20);
    if ((GetLogicalDrives() & (1u << (letter - 'A'))) == 0) return 0;
    const char drive[] = {letter, ':', '\0'};
    DWORD n = GetFullPathNameA(drive, kPathCapacity, directory, nullptr);
    return n > 0 && n < kPathCapacity;
}

bool IsInstallerDirectory(const char* path) {
    const char* installer = g_installScript.installerDir;
    if (!HasDriveLetter(path)) installer = std::strlen(installer) >= 2 ? installer + 2 : "";
    if (lstrcmpiA(path, installer) == 0) return true;
    // An installer in a drive's root has the directory "D:", which the
    // dialog makes "D:\".
    return std::strlen(installer) == 2 && HasDriveLetter(installer) && std::strlen(path) == 3 &&
           (path[0] | 0x20) == (installer[0] | 0x20) && path[1] == ':' && path[2] == '\\';
}

int CanEnter(const char* path) {
    if (IsInstallerDirectory(path)) return 0;
    if (HasDriveLetter(path)) {
        const char drive[] = {path[0], ':', '\0'};
        if (!SetCurrentDirectoryA(drive)) return 0;
    }
    return SetCurrentDirectoryA(path) ? 1 : 0;
}

}  // namespace

int MakeFullPath(char* path) {
    char current[kPathCapacity];
    DWORD length = GetCurrentDirectoryA(sizeof current, current);
    if (length == 0 || length >= sizeof current) current[0] = '\0';

    char result[kPathCapacity];
    int fits;
    if (path[0] == '\0') {
        fits = CopyWholeCharacters(result, sizeof result, current);
    } else if (path[0] == '\\' && path[1] != ':') {
        // The current drive is the current directory's first two characters.
        int n = std::snprintf(result, sizeof result, "%.2s%s", current, path);
        fits = n >= 0 && n < kPathCapacity;
    } else if (HasDriveLetter(path)) {
        if (path[2] == '\\') return 1;
        char driveDirectory[kPathCapacity];
        if (!DriveCurrentDirectory(path[0], driveDirectory)) return 1;
        fits = JoinPath(result, sizeof result, driveDirectory, path + 2);
    } else {
        fits = JoinPath(result, sizeof result, current, path);
    }
    if (!fits) {
        path[0] = '\0';
        return 0;
    }
    std::memcpy(path, result, std::strlen(result) + 1);
    return 1;
}

void StripTrailingBackslash(char* path) {
    if (!EndsWithBackslash(path)) return;
    char* last = path + std::strlen(path) - 1;
    if (last > path && *CharPrevA(path, last) == ':') return;
    *last = '\0';
}

int IsValidDirectory(const char* path) {
    if (path[0] == '\0') return 0;
    char saved[kPathCapacity];
    DWORD length = GetCurrentDirectoryA(sizeof saved, saved);
    int valid = CanEnter(path);
    if (length > 0 && length < sizeof saved) SetCurrentDirectoryA(saved);
    return valid;
}

}  // namespace tarsik

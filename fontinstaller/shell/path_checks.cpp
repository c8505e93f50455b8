#include "path_checks.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "file_identity.h"

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

// Makes `path` the current directory and reads back the directory it really
// names: ".", "..", "/", a doubled backslash or a short name all read as the
// one directory. `named` is empty when it cannot be read back.
bool Enter(const char* path, char (&named)[kPathCapacity]) {
    named[0] = '\0';
    if (HasDriveLetter(path)) {
        const char drive[] = {path[0], ':', '\0'};
        if (!SetCurrentDirectoryA(drive)) return false;
    }
    if (!SetCurrentDirectoryA(path)) return false;
    DWORD n = GetCurrentDirectoryA(kPathCapacity, named);
    if (n == 0 || n >= kPathCapacity) {
        named[0] = '\0';
        return true;
    }
    char longName[kPathCapacity];
    n = GetLongPathNameA(named, longName, kPathCapacity);
    if (n > 0 && n < kPathCapacity) CopyText(named, kPathCapacity, longName);
    return true;
}

// Whether the directory entered as `named` is the installer's own, however
// the installer's directory is written ("D:" is the root of drive D).
bool IsInstallerDirectoryNamed(const char* named) {
    char installer[kPathCapacity], installerNamed[kPathCapacity];
    if (named[0] == '\0' || !JoinPath(installer, kPathCapacity, g_installScript.installerDir, "")) return false;
    return Enter(installer, installerNamed) && installerNamed[0] != '\0' && lstrcmpiA(named, installerNamed) == 0;
}

// Whether the current directory is the installer's own by identity: the
// same folder under another drive letter (a mapped drive, subst) has other
// names but is the same folder.
bool CurrentIsInstallerDirectory() {
    char installer[kPathCapacity];
    FileIdentity current, own;
    return IdentityOf(".", &current) && JoinPath(installer, kPathCapacity, g_installScript.installerDir, "") &&
           IdentityOf(installer, &own) && SameFile(current, own);
}

int CanEnter(const char* path) {
    if (IsInstallerDirectory(path)) return 0;
    char named[kPathCapacity];
    if (!Enter(path, named)) return 0;
    // Looked at while it is current: the name check below enters the
    // installer's directory.
    if (CurrentIsInstallerDirectory()) return 0;
    return IsInstallerDirectoryNamed(named) ? 0 : 1;
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

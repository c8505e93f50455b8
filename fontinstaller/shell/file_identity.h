// Whether two names lead to one file or directory, by what the file system
// knows it as (its volume and its index there), not by how it is spelt: a
// drive letter mapped onto a folder, a short name, another letter case or
// a "..\" all lead to the same identity.
#pragma once

#include <windows.h>

namespace tarsik {

struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

// The identity of an open file; false when the system does not give it.
bool IdentityOf(HANDLE file, FileIdentity* identity);
// The identity of a file or directory by its path (system code page);
// false when it cannot be opened.
bool IdentityOf(const char* path, FileIdentity* identity);

bool SameFile(const FileIdentity& a, const FileIdentity& b);

}  // namespace tarsik

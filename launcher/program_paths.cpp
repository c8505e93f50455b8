#include "program_paths.h"

namespace velmora {

char* LastBackslash(char* path) {
    char* last = nullptr;
    for (char* p = path; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\') last = p;
    }
    return last;
}

bool CutAtLastBackslash(char* path) {
    char* last = LastBackslash(path);
    if (last == nullptr) return false;
    *last = '\0';
    return true;
}

bool GetProgramDirectory(char (&directory)[kPathCapacity]) {
    DWORD length = GetModuleFileNameA(nullptr, directory, static_cast<DWORD>(kPathCapacity));
    // A path that filled the buffer may have been cut short: unusable.
    if (length == 0 || length >= kPathCapacity || !CutAtLastBackslash(directory)) {
        directory[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace velmora

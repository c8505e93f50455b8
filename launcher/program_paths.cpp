#include "program_paths.h"

#include <cstdio>

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

void* SystemFunction(const char* dll, const char* function) {
    char system[kPathCapacity];
    char path[kPathCapacity];
    UINT length = GetSystemDirectoryA(system, static_cast<UINT>(kPathCapacity));
    if (length == 0 || length >= kPathCapacity) return nullptr;
    int written = std::snprintf(path, sizeof path, "%s\\%s", system, dll);
    if (written <= 0 || static_cast<size_t>(written) >= sizeof path) return nullptr;
    HMODULE module = LoadLibraryA(path);
    return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, function)) : nullptr;
}

}  // namespace velmora

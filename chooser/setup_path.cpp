#include "setup_path.h"

#include <cstring>
#include <cwchar>

namespace orvane {

bool ComposeSetupPath(const wchar_t* programPath, const char* suffix, wchar_t* out, size_t capacity) {
    if (out == nullptr || capacity == 0) return false;
    out[0] = L'\0';
    if (programPath == nullptr || suffix == nullptr) return false;
    const wchar_t* lastBackslash = wcsrchr(programPath, L'\\');
    if (lastBackslash == nullptr) return false;
    size_t directoryLength = static_cast<size_t>(lastBackslash - programPath);
    size_t suffixLength = strlen(suffix);
    if (directoryLength + suffixLength + 1 > capacity) return false;
    wmemcpy(out, programPath, directoryLength);
    for (size_t i = 0; i < suffixLength; ++i)
        out[directoryLength + i] = static_cast<wchar_t>(static_cast<unsigned char>(suffix[i]));
    out[directoryLength + suffixLength] = L'\0';
    return true;
}

namespace {

DWORD RunningProgramPath(wchar_t* buffer, DWORD capacity) { return GetModuleFileNameW(nullptr, buffer, capacity); }

ProgramPathSource g_programPathSource = RunningProgramPath;

}  // namespace

void SetProgramPathSource(ProgramPathSource source) {
    g_programPathSource = source != nullptr ? source : RunningProgramPath;
}

DWORD GetProgramPath(wchar_t* buffer, DWORD capacity) { return g_programPathSource(buffer, capacity); }

}  // namespace orvane

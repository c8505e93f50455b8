// Paths beside the program: its own directory, and the last backslash of an
// ANSI path found by walking whole characters (the second byte of a
// double-byte character may be 0x5C); and functions of the system's own
// DLLs, which the launcher loads only when it first needs them.
#pragma once
#include <windows.h>

#include <cstddef>

namespace velmora {

// Capacity of every path buffer of the launcher, terminator included.
constexpr size_t kPathCapacity = 260;

// The last backslash of `path`, or nullptr when there is none.
char* LastBackslash(char* path);

// Cuts `path` at its last backslash. False when `path` has no backslash;
// it is then left as it was.
bool CutAtLastBackslash(char* path);

// The directory of the program's executable file, without a trailing
// backslash. False (and `directory` empty) when the program's path does not
// fit or has no backslash.
bool GetProgramDirectory(char (&directory)[kPathCapacity]);

// `function` of the DLL `dll` in the system directory (never one beside the
// program on the disc), which is loaded on the first call and stays loaded;
// nullptr when either is missing.
void* SystemFunction(const char* dll, const char* function);

}  // namespace velmora

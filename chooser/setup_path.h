// The path of a product's setup program: the chooser's own directory with
// the product's suffix appended.
#pragma once
#include <windows.h>

#include <cstddef>

namespace orvane {

// Capacity, in UTF-16 units with the terminator, of the chooser's own path
// and of the setup path made from it.
constexpr DWORD kPathCapacity = 260;

// Cuts `programPath` at its last backslash (the backslash goes too) and
// appends `suffix`, 8-bit ASCII widened unit by unit, into `out`. Returns
// false and leaves `out` empty when the path has no backslash, the suffix is
// missing, or the result with its terminator does not fit `capacity` units:
// a cut-off path must never be started.
bool ComposeSetupPath(const wchar_t* programPath, const char* suffix, wchar_t* out, size_t capacity);

// Where the chooser learns its own full path; GetModuleFileNameW of the
// running program unless a test puts something else in. Same contract as
// GetModuleFileNameW(nullptr, buffer, capacity).
using ProgramPathSource = DWORD (*)(wchar_t* buffer, DWORD capacity);
void SetProgramPathSource(ProgramPathSource source);  // nullptr: the real one
DWORD GetProgramPath(wchar_t* buffer, DWORD capacity);

}  // namespace orvane

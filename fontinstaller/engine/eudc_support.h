// The system's support for end-user-defined characters (EUDC), switched
// off while an EUDC file's links are written and on again afterwards.
#pragma once

#include <windows.h>

namespace tarsik {

// Switches EUDC support off (0) or on (1) through EnableEUDC, looked up in
// GDI32.DLL each time: a system without it gets a box (owned by owner) and
// the install goes on.
void SetEudcEnabled(HWND owner, int flag);

// The library in which EnableEUDC is looked up. Tests point it at a library
// without the export; nullptr restores "GDI32.DLL".
void SetEudcLibrary(const char* libraryName);

}  // namespace tarsik

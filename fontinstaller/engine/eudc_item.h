// End-user-defined-character (EUDC) fonts: linking an EUDC file to
// typefaces, and switching the system's EUDC support off and on around it.
#pragma once

#include <windows.h>

// HKEY_CURRENT_USER key of the EUDC links for code page 950.
extern const char kEudcKeyPath[];

// Switches EUDC support off (0) or on (1) through EnableEUDC, looked up in
// GDI32.DLL each time: a system without it gets a box (owned by owner) and
// the install goes on.
void SetEudcEnabled(HWND owner, int flag);

// The library in which EnableEUDC is looked up. Tests point it at a library
// without the export; nullptr restores "GDI32.DLL".
void SetEudcLibrary(const char* libraryName);

// The four category installers. Each takes the owner window and the item's
// 0-based index in its list of g_installScript, and returns 1 (installed)
// or 0 (not installed; the user has already been told why).
#pragma once

#include <windows.h>

namespace tarsik {

int InstallMiscItem(HWND owner, int index);   // "Misc": file, then program group
int InstallTableItem(HWND owner, int index);  // "Tbls": file, then input-method values
int InstallFontItem(HWND owner, int index);   // "Fonts": file, font table, Fonts key
int InstallEudcItem(HWND owner, int index);   // "TTEs": file, EUDC links

}  // namespace tarsik

// The About dialog (template 1).
#pragma once

#include <windows.h>

namespace tarsik {

// Shows it modally, owned by owner; any command closes it.
void ShowAboutDialog(HWND owner);

}  // namespace tarsik

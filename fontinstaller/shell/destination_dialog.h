// The destination dialog (template 2): where the selected items go.
#pragma once

#include <windows.h>

namespace tarsik {

// Offers g_installSession.chosenDir under `prompt` (code page 950; empty
// shows the dialog's own prompt). Returns 1 when the user confirmed a
// directory, which is then in chosenDir, and 0 when the user cancelled.
int RunDestinationDialog(HWND owner, const char* prompt);

}  // namespace tarsik

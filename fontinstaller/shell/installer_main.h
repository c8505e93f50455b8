// The font installer's program entry.
#pragma once

#include <windows.h>

namespace tarsik {

// Starts the installer and runs its message loop until the main dialog is
// left. Returns the exit code: 0 (also when start-up fails, and when an
// installer is already running, which is then brought to the front).
int InstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showState);

}  // namespace tarsik

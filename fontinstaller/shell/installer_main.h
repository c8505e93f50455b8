// The font installer's program entry.
#pragma once

#include <windows.h>

namespace tarsik {

// Starts the installer and runs its message loop until the main dialog is
// left. Returns the exit code: 0 (also when start-up fails, and when an
// installer is already running, which is then brought to the front).
// With /S (see command_line.h), or with any argument not understood,
// nothing is shown and the exit code is the unattended run's
// (unattended_install.h).
int InstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showState);

// Held while an installer runs: one installer at a time.
constexpr wchar_t kRunningMutex[] = L"VexaLab.Tarsik.FontInstaller";
// Exists while an unattended run (which shows no window) holds the turn.
constexpr wchar_t kUnattendedMutex[] = L"VexaLab.Tarsik.Unattended";

// Whether the platform is version 3.10 or later.
bool WindowsVersionSuffices();

}  // namespace tarsik

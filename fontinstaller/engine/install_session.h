// The values that live across the whole run of the installer.
#pragma once

#include "install_script.h"

namespace tarsik {

struct InstallSession {
    char sourceDir[kPathCapacity];           // where source pieces are looked for
    int abortFlag;                           // raised by the disk prompt's Exit
    char chosenDir[kPathCapacity];           // destination confirmed by the user
    char registrationPrefix[kPathCapacity];  // empty for the system fonts directory
    int fontInstalled[kMaxFontItems];        // Fonts items installed by the run going on (by the driver)
};

extern InstallSession g_installSession;

// sourceDir := the installer's directory; everything else cleared.
void InitInstallSession(const InstallScript& script);

// registrationPrefix := empty when chosenDir (less one trailing backslash)
// is the system fonts directory, compared without regard to case; otherwise
// chosenDir itself.
void UpdateRegistrationPrefix(const InstallScript& script);

}  // namespace tarsik

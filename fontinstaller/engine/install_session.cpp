#include "install_session.h"

#include <cstring>

#include "ansi_text.h"

namespace tarsik {

InstallSession g_installSession;

void InitInstallSession(const InstallScript& script) {
    std::memset(&g_installSession, 0, sizeof g_installSession);
    CopyText(g_installSession.sourceDir, sizeof g_installSession.sourceDir, script.installerDir);
}

void UpdateRegistrationPrefix(const InstallScript& script) {
    char shortened[kPathCapacity];
    CopyText(shortened, sizeof shortened, g_installSession.chosenDir);
    if (EndsWithBackslash(shortened)) shortened[std::strlen(shortened) - 1] = '\0';
    if (lstrcmpiA(shortened, script.fontsDir) == 0)
        g_installSession.registrationPrefix[0] = '\0';
    else
        CopyText(g_installSession.registrationPrefix, sizeof g_installSession.registrationPrefix,
                 g_installSession.chosenDir);
}

}  // namespace tarsik

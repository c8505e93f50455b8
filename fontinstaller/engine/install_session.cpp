#include "install_session.h"

#include <cstring>

InstallSession g_installSession;

void InitInstallSession(const InstallScript& script) {
    std::memset(&g_installSession, 0, sizeof g_installSession);
    CopyText(g_installSession.sourceDir, sizeof g_installSession.sourceDir, script.installerDir);
}

void UpdateRegistrationPrefix(const InstallScript& script) {
    char shortened[kPathCapacity];
    CopyText(shortened, sizeof shortened, g_installSession.chosenDir);
    size_t length = std::strlen(shortened);
    if (length > 0 && shortened[length - 1] == '\\') shortened[length - 1] = '\0';
    if (lstrcmpiA(shortened, script.fontsDir) == 0)
        g_installSession.registrationPrefix[0] = '\0';
    else
        CopyText(g_installSession.registrationPrefix, sizeof g_installSession.registrationPrefix,
                 g_installSession.chosenDir);
}

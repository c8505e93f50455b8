// Tarsik, the font installer.
#include "installer_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showState) {
    return tarsik::InstallerMain(instance, previousInstance, commandLine, showState);
}

// The launcher as a program: the language code from its command line, the
// path of setup.inf beside it (both kept by its menu configuration), and
// the modal menu dialog in the layout that the number of items picks.
#pragma once
#include <windows.h>

#include "menu_configuration.h"

namespace velmora {

class LauncherApp : public MenuConfiguration {
public:
    explicit LauncherApp(const char* commandLine) : MenuConfiguration(commandLine) {}

    // Finds setup.inf beside the program, chooses the layout and runs the
    // dialog modally. Always false: the program then ends.
    bool Start();
};

}  // namespace velmora

// Velmora, the menu launcher: shows the menu of the disc it lies on and ends
// when the menu closes.
#include "launcher_app.h"

namespace {

// The one application object, with the language code of this run.
velmora::LauncherApp theApp(GetCommandLineA());

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.Start();
    return 0;
}

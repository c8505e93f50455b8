#include "launcher_app.h"

#include "launcher_dialog.h"

namespace velmora {

bool LauncherApp::Start() {
    char directory[kPathCapacity];
    if (GetProgramDirectory(directory))
        UseIniDirectory(directory);
    else
        ForgetIniPath();
    LauncherDialog dialog(*this, ChooseTemplate());
    dialog.DoModal();
    return false;
}

}  // namespace velmora

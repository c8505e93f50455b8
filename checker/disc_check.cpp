#include "disc_check.h"

#include "disc_tree.h"
#include "menu_check.h"
#include "script_check.h"

namespace vexacheck {

void CheckDisc(const char* folder, Report& report) {
    DiscTree tree;
    std::string why;
    if (!tree.Read(folder, &why)) {
        report.Error(Utf8FromAnsi(folder), "", "cannot be read as a disc: " + why);
        return;
    }
    CheckAutorun(tree, report);
    CheckMenu(tree, report);
    CheckInstallScripts(tree, report);
}

}  // namespace vexacheck

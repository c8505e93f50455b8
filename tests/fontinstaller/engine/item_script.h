// Filling g_installScript directly for the category installers' tests: an
// empty script, then the pieces and items a test needs.
#pragma once

#include <initializer_list>
#include <string>

#include "install_script.h"
#include "install_session.h"

namespace vexatest {

// Clears the script and the session; the script's directories are the real
// ones of the prefix, sourceDir the given directory.
void ResetScript(const std::string& sourceDir);

// Appends one group of pieces (file names; every disk label "Disk 1").
tarsik::FileGroup AddGroup(std::initializer_list<const char*> fileNames, int compressed = 0);

tarsik::InstallItem& AddMiscItem(const char* name, const tarsik::FileGroup& files, const std::string& destDir,
                                 const char* group = "");
tarsik::InstallItem& AddFontItem(const char* name, const tarsik::FileGroup& files, const char* fontName);
tarsik::InstallItem& AddEudcItem(const char* name, const tarsik::FileGroup& files, const char* fontName,
                                 std::initializer_list<const char*> linkNames);
tarsik::InstallItem& AddTableItem(const char* name, const tarsik::FileGroup& files, const std::string& destDir,
                                  const char* userKey, const char* layoutText, const char* layoutFile,
                                  const char* imeFile);

// chosenDir := dir, and the registration prefix recomputed from it.
void ChooseDestination(const std::string& dir);

}  // namespace vexatest

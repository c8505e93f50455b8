// The whole check of one disc folder, as its programs will read it.
#pragma once

#include "report.h"

namespace vexacheck {

// Checks the folder that becomes the disc: its launcher, setup.inf,
// autorun.inf and every font installer with its script and files. A folder
// that cannot be read at all is one error.
void CheckDisc(const char* folder, Report& report);

}  // namespace vexacheck

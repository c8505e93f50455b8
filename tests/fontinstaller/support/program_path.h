// Where the installer believes its program lies, for tests that run the
// engine or the shell from a scratch "disc".
#pragma once

#include <string>

namespace vexatest {

// From now on the program path is `path`; an empty path gives the real one
// back.
void UseProgramPath(const std::string& path);

}  // namespace vexatest

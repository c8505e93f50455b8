#include "program_path.h"

#include <cstdio>

#include "install_script.h"

using namespace tarsik;

namespace vexatest {

namespace {

std::string g_programPath;

DWORD ProgramPath(char* buffer, DWORD capacity) {
    return static_cast<DWORD>(std::snprintf(buffer, capacity, "%s", g_programPath.c_str()));
}

}  // namespace

void UseProgramPath(const std::string& path) {
    g_programPath = path;
    SetProgramPathSource(path.empty() ? nullptr : ProgramPath);
}

}  // namespace vexatest

// Tarsik.exe /S: the whole install script installed without a window, for
// the administrators who put fonts on many machines. What a user would be
// shown goes to the log (/LOG) instead; the exit code says how it went.
#pragma once

#include "command_line.h"

namespace tarsik {

// Exit codes of an unattended run.
enum UnattendedExit {
    ExitInstalled = 0,          // every item installed, or its font already registered
    ExitCannotStart = 1,        // the script cannot be loaded (or Windows is too old)
    ExitBadCommandLine = 2,     // an argument not understood, a log that cannot be opened, a /D refused
    ExitItemsFailed = 3,        // at least one item was not installed
    ExitRestartNeeded = 3010,   // a removal is done, but a file in use goes at the next restart
    ExitOtherInstaller = 1618,  // another installer (or removal) was still running after a minute: try again later
};

// Runs the installer unattended: the log, one installer at a time (waiting
// up to a minute for a running one), the script, /D, then one install run of
// every Misc and Tbls item and every Fonts and TTEs item. arguments is the
// command line as given, for the log; understood is ParseCommandLine's
// result. Returns the exit code.
int RunUnattended(const char* arguments, const CommandLine& options, int understood);

}  // namespace tarsik

// The installer's command line: without arguments the user's installer;
// /S installs everything without a window, /D=dir sends its fonts elsewhere,
// /LOG=file keeps a record of the run.
#pragma once

#include "install_script.h"

namespace tarsik {

// What the arguments ask for. Texts are ANSI in the system's code page, as
// the command line arrives.
struct CommandLine {
    int silent;                        // /S
    char logPath[kPathCapacity];       // /LOG=file, empty without it
    char destination[kPathCapacity];   // /D=dir, empty without it
    int remove;                        // /UNINSTALL: the product whose record lies beside the program goes
    char cleanup[kPathCapacity];       // /CLEANUP=folder: a remover's folder, removed once its remover has ended
    char firstUnknown[kPathCapacity];  // the first argument not understood (cut), empty when none
    const char* why;                   // why it was not understood (English), nullptr when none
};

// Reads the program's arguments (the command line after the program's own
// name). Arguments are separated by spaces or tabs; double quotes keep
// spaces inside one and are dropped ("/LOG=C:\My Logs\a.log" and
// /LOG="C:\My Logs\a.log" are the same); a backslash is an ordinary
// character. Switch names are matched without regard to letter case and
// may begin with "/" or "-". An argument that is not /S, /LOG=file, /D=dir,
// /UNINSTALL or /CLEANUP=folder (the removal's own), a switch given
// twice, /D with /UNINSTALL, an empty file or directory, or one longer than
// 259 bytes is not understood. Returns 1 when every argument was understood.
int ParseCommandLine(const char* arguments, CommandLine* result);

}  // namespace tarsik

// The files the installer builds and joins in before they take their final
// place carry a name of its own, "~tarsik-<process>-<n>.tmp": a later run
// knows them as its own and removes those whose writer has gone (killed,
// or lost with the machine's power), and never touches anyone else's.
#pragma once

#include "install_script.h"

namespace tarsik {

// The longest name of such a file: "~tarsik-ffffffff-ffffffff.tmp".
constexpr int kOwnTempNameLength = 29;

// Creates a new, empty file of that name in dir (with or without its
// trailing backslash) and puts its path into path (kPathCapacity bytes).
// 0 when the path would not fit or no file can be created there.
int CreateOwnTempFile(const char* dir, char* path);

// Removes from dir the files of that name whose writing process no longer
// runs. A file of a process that still runs, of this process, one still
// open, or one whose writer cannot be told stays.
void RemoveStaleTempFiles(const char* dir);

// The same for the system's temporary directory.
void RemoveStaleTempFilesInTemp();

}  // namespace tarsik

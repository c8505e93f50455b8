// The checks that the destination dialog applies to a typed directory. Paths are ANSI text in the system's code
// page: every look for a backslash or a colon walks whole characters, since
// the second byte of a double-byte character may be either.
#pragma once

#include "install_script.h"

namespace tarsik {

// Makes `path` (capacity kPathCapacity) absolute, relative to the process's
// current directory:
//   empty            the current directory
//   \text            the current drive, then the text ("\:" excepted)
//   X:\text          unchanged
//   X:text           the current directory of drive X, then the text;
//                    unchanged when that drive has none
//   text             the current directory, then the text
// Returns 1; 0 when the result would not fit 259 characters, and `path` is
// then empty (an empty path is never a valid directory).
int MakeFullPath(char* path);

// Removes a trailing backslash unless it follows a colon (C:\ keeps it).
void StripTrailingBackslash(char* path);

// 1 when the process can make `path` its current directory and it is not
// the installer's own directory under any name (".", "<dir>\.", "<dir>/",
// "<dir>\..\<name>", another drive letter for the same folder: the two
// are compared by identity where the system gives it); 0 for an empty
// path, for a drive that cannot be made current, and otherwise. The
// current directory is the same afterwards.
int IsValidDirectory(const char* path);

}  // namespace tarsik

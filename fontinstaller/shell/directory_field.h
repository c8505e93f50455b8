// The edit field (control 101) in which the destination dialog and the disk
// prompt show a directory and take the user's answer.
#pragma once

#include <windows.h>

namespace tarsik {

// Shows path (system code page) in the field, all of it selected, with the
// keyboard focus there.
void ShowDirectoryField(HWND dialog, const char* path);

// Reads the field into path (kPathCapacity bytes): at most 259 bytes, cut at
// a whole character.
void ReadDirectoryField(HWND dialog, char* path);

}  // namespace tarsik

// One install run: what happens when the user presses Install.
#pragma once

#include <windows.h>

namespace tarsik {

// Installs every Misc and Tbls item, then the selected Fonts items and the
// selected TTEs items, each category after its destination dialog and free
// space check; shows the completion message when anything was installed.
// positions are the selected positions of the item list (Fonts names first,
// then TTEs names), in ascending order; a position outside the list is
// ignored. Each item tried is reported through InstallerUi::ItemDone.
void RunInstall(HWND owner, const int* positions, int count);

// The bytes free for the installer in a directory (given with its trailing
// backslash): a folder on another drive mounted into this one has that
// drive's space. The driver asks it through this seam so tests can offer
// small disks. Returns FALSE when it cannot be had.
using FreeSpaceSource = BOOL (*)(const char* directory, ULONGLONG* freeBytes);
// nullptr: GetDiskFreeSpaceExA, or GetDiskFreeSpaceA of the drive's root
// where the system has no other.
void SetFreeSpaceSource(FreeSpaceSource source);

// The space box's text for a need and a free space in kilobytes (free below
// 2 GB). Returns the text's length; the text is cut to the capacity.
int FormatSpaceText(char* text, int capacity, long long needKilobytes, long long freeKilobytes);

}  // namespace tarsik

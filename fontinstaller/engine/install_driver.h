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

// The free space of a drive root; the driver asks it through this seam so
// tests can offer small disks. Returns FALSE when it cannot be had.
using FreeSpaceSource = BOOL (*)(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                                 DWORD* freeClusters);
void SetFreeSpaceSource(FreeSpaceSource source);  // nullptr: GetDiskFreeSpaceA

// The space box's text for a need and a free space in kilobytes (free below
// 2 GB). Returns the text's length; the text is cut to the capacity.
int FormatSpaceText(char* text, int capacity, long long needKilobytes, long long freeKilobytes);

}  // namespace tarsik

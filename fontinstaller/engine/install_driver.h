// One install run: what happens when the user presses Install.
#pragma once

#include <windows.h>

namespace tarsik {

// Installs every Misc and Tbls item, then the selected Fonts items and the
// selected TTEs items, each category after its destination dialog and free
// space check; shows the completion message when anything was installed.
// selectionCount is the number of selected entries of the owner's list
// IDC_ITEM_LIST (Fonts names, then TTEs names).
void RunInstall(HWND owner, int selectionCount);

// The free space of a drive root; the driver asks it through this seam so
// tests can offer small disks. Returns FALSE when it cannot be had.
using FreeSpaceSource = BOOL (*)(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                                 DWORD* freeClusters);
void SetFreeSpaceSource(FreeSpaceSource source);  // nullptr: GetDiskFreeSpaceA

// The space box's text for a need and a free space in kilobytes (free below
// 2 GB). Returns the text's length; the text is cut to the capacity.
int FormatSpaceText(char* text, int capacity, long long needKilobytes, long long freeKilobytes);

}  // namespace tarsik

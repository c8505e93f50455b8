#include "install_driver.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "install_script.h"
#include "install_session.h"
#include "item_installers.h"
#include "message_ids.h"
#include "temp_files.h"
#include "user_interface.h"

namespace tarsik {

namespace {

const char kFontPrompt[] = "請你輸入HalvexSorvel字形目的目錄：";
const char kEudcPrompt[] = "請你輸入外字集目的目錄：";

FreeSpaceSource g_freeSpace = nullptr;

struct Selection {
    int fonts[kMaxFontItems];
    int fontCount;
    int eudcs[kMaxEudcItems];
    int eudcCount;
};

// Sorts the selected list positions into the two categories.
void SortSelection(const int* positions, int count, Selection* selection) {
    std::memset(selection, 0, sizeof *selection);
    const InstallScript& s = g_installScript;
    for (int i = 0; i < count; ++i) {
        int p = positions[i];
        if (p < 0) continue;
        if (p < s.fontItemCount) {
            if (selection->fontCount < kMaxFontItems) selection->fonts[selection->fontCount++] = p;
        } else if (p < s.fontItemCount + s.eudcItemCount) {
            if (selection->eudcCount < kMaxEudcItems) selection->eudcs[selection->eudcCount++] = p - s.fontItemCount;
        }
    }
}

// The drive root of a directory, lower-cased: "c:\"; just "\" without a
// drive.
void DriveRoot(const char* dir, char* root, int capacity) {
    if (HasDriveLetter(dir)) {
        char drive = dir[0];
        if (drive >= 'A' && drive <= 'Z') drive = static_cast<char>(drive - 'A' + 'a');
        std::snprintf(root, capacity, "%c:\\", drive);
    } else {
        std::snprintf(root, capacity, "\\");
    }
}

using FreeSpaceExProc = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

BOOL SystemFreeSpace(const char* directory, ULONGLONG* freeBytes) {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto freeSpaceEx =
        kernel
            ? reinterpret_cast<FreeSpaceExProc>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
            : nullptr;
    if (freeSpaceEx) {
        ULARGE_INTEGER available, total, free;
        if (!freeSpaceEx(directory, &available, &total, &free)) return FALSE;
        *freeBytes = available.QuadPart;
        return TRUE;
    }
    // The first Windows 95 knows only whole drives.
    char root[8];
    DriveRoot(directory, root, sizeof root);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return FALSE;
    *freeBytes = static_cast<ULONGLONG>(freeClusters) * sectorsPerCluster * bytesPerSector;
    return TRUE;
}

// Free space check for the selected items of one category: 1 passes, 0
// when the space box has been shown.
int CheckFreeSpace(HWND owner, const InstallItem* items, const int* indices, int count) {
    char directory[kPathCapacity];
    JoinPath(directory, sizeof directory, g_installSession.chosenDir, "");
    ULONGLONG freeBytes = 0;
    BOOL known = (g_freeSpace ? g_freeSpace : SystemFreeSpace)(directory, &freeBytes);
    // Without a figure the check passes: the next write reports a real
    // shortage.
    if (!known) return 1;
    if (freeBytes >= 2147483648ULL) return 1;
    long long freeKilobytes = static_cast<long long>(freeBytes / 1024);
    long long need = 0;
    for (int i = 0; i < count; ++i) need += items[indices[i]].size;
    if (need <= freeKilobytes) return 1;
    char text[256];
    FormatSpaceText(text, sizeof text, need, freeKilobytes);
    Ui().ShowSpaceBox(owner, text);
    return 0;
}

using ItemInstaller = int (*)(HWND, int);

// One item, and its outcome reported to the interface.
int InstallOne(HWND owner, ItemCategory category, int index, ItemInstaller install) {
    int installed = install(owner, index);
    if (category == CategoryFont) g_installSession.fontInstalled[index] = installed;
    Ui().ItemDone(category, index, installed);
    return installed;
}

// Destination dialog, registration prefix, space check and the selected
// items of one category. Returns 0 when the run must end here.
int InstallSelected(HWND owner, const char* presetDir, const char* prompt, const InstallItem* items, const int* indices,
                    int count, ItemCategory category, ItemInstaller install, int* installed) {
    CopyText(g_installSession.chosenDir, sizeof g_installSession.chosenDir, presetDir);
    if (!Ui().AskDestination(owner, prompt)) return 0;
    UpdateRegistrationPrefix(g_installScript);
    if (!CheckFreeSpace(owner, items, indices, count)) return 0;
    for (int i = 0; i < count && !g_installSession.abortFlag; ++i)
        *installed |= InstallOne(owner, category, indices[i], install);
    return 1;
}

// What killed runs left behind in the places a run writes to: the
// temporary directory, the fonts and Windows directories and the Misc and
// Tbls items' directories (a chosen destination is swept by the transfer).
void RemoveStaleFiles() {
    const InstallScript& s = g_installScript;
    RemoveStaleTempFilesInTemp();
    RemoveStaleTempFiles(s.fontsDir);
    RemoveStaleTempFiles(s.windowsDir);
    for (int i = 0; i < s.miscItemCount; ++i) RemoveStaleTempFiles(s.miscItems[i].destDir);
    for (int i = 0; i < s.tableItemCount; ++i) RemoveStaleTempFiles(s.tableItems[i].destDir);
}

}  // namespace

void SetFreeSpaceSource(FreeSpaceSource source) { g_freeSpace = source; }

int FormatSpaceText(char* text, int capacity, long long needKilobytes, long long freeKilobytes) {
    // The need in megabytes to the nearest tenth, a half tenth rounding up.
    long long tenths = (needKilobytes * 10 + 512) / 1024;
    long whole = static_cast<long>(tenths / 10);
    long digit = static_cast<long>(tenths % 10);
    int n;
    if (freeKilobytes < 1024)
        n = std::snprintf(text, capacity, "所需磁碟空間: %ld.%ldM\n 大於尚餘磁碟空間: %dK", whole, digit,
                          static_cast<int>(freeKilobytes));
    else
        n = std::snprintf(text, capacity, "所需磁碟空間: %ld.%ldM\n 大於尚餘磁碟空間: %dM", whole, digit,
                          static_cast<int>(freeKilobytes / 1024));
    return n;
}

void RunInstall(HWND owner, const int* positions, int count) {
    const InstallScript& s = g_installScript;
    Selection selection;
    SortSelection(positions, count, &selection);
    g_installSession.abortFlag = 0;
    std::memset(g_installSession.fontInstalled, 0, sizeof g_installSession.fontInstalled);
    RemoveStaleFiles();
    int installed = 0;
    for (int i = 0; i < s.miscItemCount && !g_installSession.abortFlag; ++i)
        installed |= InstallOne(owner, CategoryMisc, i, InstallMiscItem);
    for (int i = 0; i < s.tableItemCount && !g_installSession.abortFlag; ++i)
        installed |= InstallOne(owner, CategoryTable, i, InstallTableItem);
    if (selection.fontCount > 0 && !InstallSelected(owner, s.fontsDir, kFontPrompt, s.fontItems, selection.fonts,
                                                    selection.fontCount, CategoryFont, InstallFontItem, &installed))
        return;
    if (selection.eudcCount > 0 && !InstallSelected(owner, s.windowsDir, kEudcPrompt, s.eudcItems, selection.eudcs,
                                                    selection.eudcCount, CategoryEudc, InstallEudcItem, &installed))
        return;
    ClearStatus();
    if (installed) ShowWarning(owner, IDS_INSTALL_COMPLETE);
}

}  // namespace tarsik

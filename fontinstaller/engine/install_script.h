// The install script "VEXA95.INI" and its in-memory model. The script is read
// once at start-up; everything else in the installer reads this model.
#pragma once

#include <windows.h>

#include "message_ids.h"

namespace tarsik {

// Capacities of the script format (bytes, including the terminating NUL).
constexpr int kPathCapacity = 260;
constexpr int kNameCapacity = 72;
constexpr int kDiskLabelCapacity = 40;

// Limits of the script format.
constexpr int kMaxMiscItems = 20;
constexpr int kMaxFontItems = 60;
constexpr int kMaxEudcItems = 60;
constexpr int kMaxTableItems = 20;
constexpr int kMaxPieces = 60;
constexpr int kMaxLinkNames = 60;

// Results of LoadInstallScript: 0 or the number of the message that says why
// (IDS_SYSTEM_ERROR, IDS_SCRIPT_MISSING, IDS_SCRIPT_INVALID).
constexpr int kScriptLoaded = 0;

// One source file on the installation media.
struct SourcePiece {
    char fileName[kPathCapacity];
    char diskLabel[kDiskLabelCapacity];
};

// The consecutive pieces that become one destination file, named after the
// first piece.
struct FileGroup {
    int firstPiece;
    int pieceCount;
    int compressed;  // nonzero: the joined pieces form one LZ-compressed file
};

struct InstallItem {
    char name[kNameCapacity];
    FileGroup files;
    int size;                        // Fonts, TTEs: kilobytes needed
    char fontName[kNameCapacity];    // Fonts, TTEs
    int firstLinkName;               // TTEs
    int linkNameCount;               // TTEs
    char destDir[kPathCapacity];     // Misc, Tbls
    char group[kNameCapacity];       // Misc
    char userKey[kNameCapacity];     // Tbls
    char layoutText[kNameCapacity];  // Tbls
    char layoutFile[kNameCapacity];  // Tbls
    char imeFile[kNameCapacity];     // Tbls
};

struct InstallScript {
    char installerDir[kPathCapacity];
    char windowsDir[kPathCapacity];
    char systemDir[kPathCapacity];
    char fontsDir[kPathCapacity];
    char scriptPath[kPathCapacity];
    // [Product]: how Apps & features names what the script installs; empty
    // when the script does not say.
    char productName[kNameCapacity];
    char productVersion[kNameCapacity];
    char productPublisher[kNameCapacity];

    SourcePiece pieces[kMaxPieces];
    int piecesUsed;
    char linkNames[kMaxLinkNames][kPathCapacity];
    int linkNamesUsed;

    InstallItem miscItems[kMaxMiscItems];
    int miscItemCount;
    InstallItem fontItems[kMaxFontItems];
    int fontItemCount;
    InstallItem eudcItems[kMaxEudcItems];
    int eudcItemCount;
    InstallItem tableItems[kMaxTableItems];
    int tableItemCount;
};

// The process's one script, filled by LoadInstallScript.
extern InstallScript g_installScript;

// Reads the script beside the program into g_installScript. Returns
// kScriptLoaded (0), IDS_SYSTEM_ERROR (5), IDS_SCRIPT_MISSING (10) or
// IDS_SCRIPT_INVALID (11). On 11 one trace line names the section and key
// that broke the rules.
int LoadInstallScript();
// The same for an installer whose program file is `programPath` (a disc
// checker reads a disc's script as the installer there would). An empty
// path, or one of 260 bytes or more, gives IDS_SYSTEM_ERROR.
int LoadInstallScript(const char* programPath);

// The program file's full path as the loader sees it. Tests replace it to
// place the script in a scratch directory; nullptr restores the real one.
// Returns the length of the path, 0 on failure (like GetModuleFileNameA).
using ProgramPathSource = DWORD (*)(char* buffer, DWORD capacity);
void SetProgramPathSource(ProgramPathSource source);
// The program file's full path from that source.
DWORD ProgramPath(char* buffer, DWORD capacity);

}  // namespace tarsik

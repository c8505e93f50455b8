// Moving one file group from the installation media into one destination
// file: plain pieces appended, a single compressed piece expanded, several
// compressed pieces joined raw into a temporary file and then expanded.
#pragma once

#include <windows.h>

#include "install_record.h"
#include "install_script.h"
#include "trace.h"
#include "user_interface.h"

namespace tarsik {

enum TransferResult { TransferDone, TransferNoDestination, TransferFailed };

// How a failed LZCopy of a single compressed piece is reported.
enum ExpansionReport {
    ReportStandard,    // warning 100 + the LZ32 error code
    ReportNone,        // nothing
    ReportNamedFiles,  // "Can't copy file [%s] to [%s]"
};

struct TransferOptions {
    const char* itemName = "";                           // named in the status line while a joined file expands
    ExpansionReport singlePieceReport = ReportStandard;  // how a failed single-piece expansion is reported
    int trace = 0;                                       // write the trace lines to standard output
    int normalAttributes = 0;                            // set the destination's attributes to normal
};

// The new file is built under a temporary name of ours (temp_files.h) in the
// destination's directory and replaces the destination only when it is
// complete: a failed transfer leaves a file that was there before exactly as
// it was, and removes what it built.
//
// On TransferDone, destPath (kPathCapacity bytes) receives the destination's
// fully qualified path. TransferNoDestination: the destination cannot be
// created or replaced (its path, or the temporary name beside it, does not
// fit 259 characters; its directory cannot be written; it is read-only or
// held open by another program, as a font in use is; or it is one of the
// group's own pieces), nothing reported; destPath then holds the path that
// was tried, for the category's message. TransferFailed: reported (or
// cancelled); destPath is empty. A group outside the piece table is refused
// with warning 11 before anything is created.
TransferResult TransferFileGroup(HWND owner, const FileGroup& group, const char* destDir,
                                 const TransferOptions& options, char* destPath);

// TransferFileGroup for the categories that report a destination that
// cannot be created as warning 12 with its path. 1 on TransferDone (destPath
// then holds the destination), 0 when the user has been told why not.
int TransferOrWarn(HWND owner, const FileGroup& group, const char* destDir, const TransferOptions& options,
                   char* destPath);

// Opens a piece from the session's source directory; asks for it through the
// disk prompt when it is not there. -1 when the user gave up.
HFILE OpenSourcePiece(HWND owner, const SourcePiece& piece, OpenMode mode);

// Opens a piece file for reading; -1 on failure. Shared with the disk prompt.
// Both modes give a plain read handle (expansion starts when the piece is
// copied); in expanding mode a file that is missing is also looked for under
// its compressed name, as LZ32 does ("FONT.TTF" -> "FONT.TT_").
HFILE OpenPieceFile(const char* path, OpenMode mode);

// The name LZ32 gives the compressed form of a file: the extension's last
// character replaced by '_' ("FONT.TTF" -> "FONT.TT_"), or "_" appended to a
// short extension, or "._" appended when there is none. 0 when it does not fit.
int CompressedName(char* result, int capacity, const char* path);

// The path of the file that OpenPieceFile opened last: the compressed name
// when that is the one it found. Messages name the file really read.
const char* LastOpenedPiece();

// Copies source from start to its end onto target's current position in
// 32,767-byte chunks: 0 done, or the number of the warning that says why not:
// IDS_READ_ERROR (2), IDS_WRITE_ERROR (3), IDS_NO_MEMORY (4, no buffer).
int CopyFileBlocks(HFILE target, HFILE source, LONG start);

// The removers of what transfers made. A file is deleted, or, when a
// program holds it (a font the system has loaded), deleted at the next
// restart; a directory goes when it is empty, and stays (its entry done)
// when something else has been put in it. A file or directory already gone
// counts as removed.
EntryOutcome RemoveInstalledFile(const char* path, char* why);
EntryOutcome RemoveMadeDirectory(const char* path, char* why);

}  // namespace tarsik

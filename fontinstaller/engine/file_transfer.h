// Moving one file group from the installation media into one destination
// file: plain pieces appended, a single compressed piece expanded, several
// compressed pieces joined raw into a temporary file and then expanded.
#pragma once

#include <windows.h>

#include "install_script.h"
#include "trace.h"
#include "user_interface.h"

enum TransferResult { TransferDone, TransferNoDestination, TransferFailed };

// How a failed LZCopy of a single compressed piece is reported.
enum ExpansionReport {
    ReportStandard,    // warning 100 + the LZ32 error code
    ReportNone,        // nothing
    ReportNamedFiles,  // "Can't copy file [%s] to [%s]"
};

struct TransferOptions {
    ExpansionReport singlePieceReport;
    int trace;             // write the trace lines to standard output
    int normalAttributes;  // set the destination's attributes to normal
};

// On TransferDone, destPath (kPathCapacity bytes) receives the destination's
// fully qualified path. TransferNoDestination: the destination could not be
// created (its path does not fit 259 characters, or it is one of the
// group's own pieces, which creating it would empty), nothing reported;
// destPath then holds the path that was tried, for the category's message.
// TransferFailed: reported (or cancelled), and neither the destination nor a
// temporary file is left; destPath is empty. A group outside the piece table
// is refused with warning 11 before anything is created.
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

// Copies source from start to its end onto target's current position in
// 32,767-byte chunks: 0 done, 2 read error, 3 write error, 4 no buffer.
int CopyFileBlocks(HFILE target, HFILE source, LONG start);

#include "file_transfer.h"

#include <lzexpand.h>

#include <cstdio>
#include <cstring>

#include "box_text.h"
#include "install_session.h"
#include "message_ids.h"

// Files are created and opened through _lcreat and _lopen, never through an
// OFSTRUCT: its record holds only 127 characters of path, and a longer
// destination or temporary path would leave a file that cannot be deleted
// again by its record. Every path here may use the full 259 characters.

namespace {

constexpr int kBlockSize = 32767;  // the most one _lread or _lwrite moves

// Warning shown for a negative LZ32 result: 100 + the code (92..99). A code
// outside the library's range is shown as a damaged source.
int ExpansionWarning(LONG code) {
    if (code < LZERROR_UNKNOWNALG || code > LZERROR_BADINHANDLE) code = LZERROR_READ;
    return IDS_EXPAND_BASE + static_cast<int>(code);
}

// The name LZ32 gives the compressed form of a file: the extension's last
// character replaced by '_' ("FONT.TTF" -> "FONT.TT_"), or "_" appended to a
// short extension, or "._" appended when there is none. 0 when it does not fit.
int CompressedName(char* result, int capacity, const char* path) {
    const char* base = std::strrchr(path, '\\');
    base = base ? base + 1 : path;
    const char* dot = std::strchr(base, '.');
    int n;
    if (!dot) {
        n = std::snprintf(result, capacity, "%s._", path);
    } else if (std::strlen(dot + 1) < 3) {
        n = std::snprintf(result, capacity, "%s_", path);
    } else {
        int keep = static_cast<int>(std::strlen(path)) - 1;
        n = std::snprintf(result, capacity, "%.*s_", keep, path);
    }
    return n >= 0 && n < capacity;
}

// Closes a source piece the way its open mode needs.
void ClosePiece(HFILE piece, HFILE expanding) {
    if (expanding != HFILE_ERROR && expanding != piece)
        LZClose(expanding);
    else
        _lclose(piece);
}

// Expands (or copies unchanged, when it is not compressed) an open plain
// source onto target's current position. Returns the bytes written or a
// negative LZ32 code;
// *lzHandle receives the handle the caller must close the source by.
LONG ExpandFile(HFILE source, HFILE target, HFILE* lzHandle) {
    // LZCopy would run LZInit itself, but it turns a header it cannot use
    // into a copy of nothing: the error has to be seen here.
    HFILE lz = LZInit(source);
    if (lz < 0) {
        *lzHandle = HFILE_ERROR;
        return lz;
    }
    *lzHandle = lz;
    // The header records the expanded length; a stream that ends before it
    // (a piece cut short) expands without complaint, so it is checked here.
    LONG expected = LZSeek(lz, 0, FILE_END);
    if (expected < 0) return expected;
    if (LZSeek(lz, 0, FILE_BEGIN) != 0) return LZERROR_BADINHANDLE;
    LONG written = LZCopy(lz, target);
    if (written >= 0 && written != expected) return LZERROR_READ;
    return written;
}

// Whether one of the group's pieces, where it would be looked for now, is the
// destination itself: creating the destination would empty it before it is
// read (an installer run from a hard disk whose script names its own
// directory as a destination).
bool PieceIsDestination(const SourcePiece* pieces, int count, const char* destFull) {
    for (int i = 0; i < count; ++i) {
        char path[kPathCapacity], full[kPathCapacity];
        if (!JoinPath(path, sizeof path, g_installSession.sourceDir, pieces[i].fileName)) continue;
        DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
        if (n > 0 && n < sizeof full && lstrcmpiA(full, destFull) == 0) return true;
    }
    return false;
}

}  // namespace

HFILE OpenPieceFile(const char* path, OpenMode mode) {
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR && mode == OpenExpanding) {
        // A compressed file may lie on the disk under its compressed name.
        char compressed[kPathCapacity];
        if (CompressedName(compressed, sizeof compressed, path)) file = _lopen(compressed, OF_READ);
    }
    return file;
}

HFILE OpenSourcePiece(HWND owner, const SourcePiece& piece, OpenMode mode) {
    char path[kPathCapacity];
    if (JoinPath(path, sizeof path, g_installSession.sourceDir, piece.fileName)) {
        HFILE file = OpenPieceFile(path, mode);
        if (file != HFILE_ERROR) return file;
    }
    return Ui().DiskPrompt(owner, piece, mode);
}

int CopyFileBlocks(HFILE target, HFILE source, LONG start) {
    SetBusyCursor(1);
    int result = 0;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, kBlockSize);
    char* buffer = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!buffer) {
        result = 4;
    } else {
        LONG size = _llseek(source, 0, FILE_END);
        if (size == HFILE_ERROR || start < 0 || start > size || _llseek(source, start, FILE_BEGIN) != start) {
            result = 2;
        } else {
            LONG remaining = size - start;
            while (remaining > 0 && result == 0) {
                UINT chunk = remaining < kBlockSize ? static_cast<UINT>(remaining) : kBlockSize;
                if (_lread(source, buffer, chunk) != chunk)
                    result = 2;
                else if (_lwrite(target, buffer, chunk) != chunk)
                    result = 3;
                else
                    remaining -= chunk;
            }
        }
        GlobalUnlock(block);
    }
    if (block) GlobalFree(block);
    SetBusyCursor(0);
    return result;
}

TransferResult TransferFileGroup(HWND owner, const FileGroup& group, const char* destDir,
                                 const TransferOptions& options, char* destPath) {
    destPath[0] = '\0';
    if (group.pieceCount < 1 || group.firstPiece < 0 || group.firstPiece > kMaxPieces - group.pieceCount) {
        ShowWarning(owner, IDS_SCRIPT_INVALID);
        return TransferFailed;
    }
    const SourcePiece* pieces = &g_installScript.pieces[group.firstPiece];

    OpenMode mode = OpenPlain;
    CreateDirectoryA(destDir, nullptr);

    char joined[kPathCapacity];
    int joinedWhole = JoinPath(joined, sizeof joined, destDir, pieces[0].fileName);
    if (options.trace) Trace("Dest %s\n", joined);
    CopyText(destPath, kPathCapacity, joined);
    // A cut path would name some other file: never create that one.
    if (!joinedWhole) return TransferNoDestination;

    char destFull[kPathCapacity];
    DWORD fullLength = GetFullPathNameA(joined, sizeof destFull, destFull, nullptr);
    if (fullLength == 0 || fullLength >= sizeof destFull) return TransferNoDestination;
    if (PieceIsDestination(pieces, group.pieceCount, destFull)) return TransferNoDestination;
    HFILE dest = _lcreat(destFull, 0);
    if (dest == HFILE_ERROR) return TransferNoDestination;
    CopyText(destPath, kPathCapacity, destFull);

    HFILE target = dest;
    char tempPath[kPathCapacity] = "";
    bool haveTemp = false;
    if (group.compressed) {
        if (group.pieceCount == 1) {
            mode = OpenExpanding;
        } else {
            char tempDir[kPathCapacity];
            DWORD dirLength = GetTempPathA(sizeof tempDir, tempDir);
            bool named =
                dirLength > 0 && dirLength < sizeof tempDir && GetTempFileNameA(tempDir, "tmp", 0, tempPath) != 0;
            target = named ? _lcreat(tempPath, 0) : HFILE_ERROR;
            if (target == HFILE_ERROR) {
                if (!named)
                    CopyText(tempPath, sizeof tempPath, dirLength > 0 && dirLength < sizeof tempDir ? tempDir : "");
                ShowWarning(owner, IDS_CANNOT_CREATE_TEMP, tempPath);
                // GetTempFileNameA has already made the (empty) file.
                if (named) DeleteFileA(tempPath);
                _lclose(dest);
                DeleteFileA(destFull);
                destPath[0] = '\0';
                return TransferFailed;
            }
            haveTemp = true;
            if (options.trace) Trace("\tTemp File \"%s\" created\n", tempPath);
        }
    }

    bool ok = true;
    for (int i = 0; i < group.pieceCount && ok; ++i) {
        const SourcePiece& piece = pieces[i];
        HFILE source = OpenSourcePiece(owner, piece, mode);
        if (source == HFILE_ERROR) {
            ok = false;
            break;
        }
        SetStatus(IDS_STATUS_COPYING, piece.fileName);
        HFILE expanding = HFILE_ERROR;
        if (mode == OpenExpanding) {
            SetBusyCursor(1);
            LONG written = ExpandFile(source, target, &expanding);
            if (written < 0) {
                ok = false;
                if (options.singlePieceReport == ReportStandard) {
                    ShowWarning(owner, ExpansionWarning(written));
                } else if (options.singlePieceReport == ReportNamedFiles) {
                    char sourcePath[kPathCapacity];
                    JoinPath(sourcePath, sizeof sourcePath, g_installSession.sourceDir, piece.fileName);
                    ShowFormattedBox(owner, "Can't copy file [%s] to [%s]", sourcePath, destFull);
                }
            }
            SetBusyCursor(0);
        } else {
            int copied = CopyFileBlocks(target, source, 0);
            if (copied != 0) {
                ShowWarning(owner, copied);
                ok = false;
            }
        }
        ClosePiece(source, expanding);
        ClearStatus();
    }

    _lclose(target);

    if (!ok) {
        if (haveTemp) {
            _lclose(dest);
            DeleteFileA(tempPath);
            if (options.trace) Trace("\tTemp File deleted on error\n");
        }
        DeleteFileA(destFull);
        if (options.trace) Trace("\tFile deleted on error\n");
        destPath[0] = '\0';
        return TransferFailed;
    }

    if (haveTemp) {
        SetStatus(IDS_STATUS_EXPANDING, pieces[0].fileName);
        SetBusyCursor(1);
        HFILE joinedFile = _lopen(tempPath, OF_READ);
        HFILE lz = HFILE_ERROR;
        LONG written = joinedFile == HFILE_ERROR ? LZERROR_BADINHANDLE : ExpandFile(joinedFile, dest, &lz);
        if (written < 0) ShowWarning(owner, ExpansionWarning(written));
        if (joinedFile != HFILE_ERROR) ClosePiece(joinedFile, lz);
        _lclose(dest);
        DeleteFileA(tempPath);
        SetBusyCursor(0);
        if (options.trace) Trace("\tTemp File deleted\n");
        if (written < 0) {
            DeleteFileA(destFull);
            if (options.trace) Trace("\tFile deleted on error\n");
            destPath[0] = '\0';
            return TransferFailed;
        }
    }

    if (options.normalAttributes) SetFileAttributesA(destFull, FILE_ATTRIBUTE_NORMAL);
    return TransferDone;
}

int TransferOrWarn(HWND owner, const FileGroup& group, const char* destDir, const TransferOptions& options,
                   char* destPath) {
    switch (TransferFileGroup(owner, group, destDir, options, destPath)) {
    case TransferDone:
        return 1;
    case TransferNoDestination:
        JoinPath(destPath, kPathCapacity, destDir, g_installScript.pieces[group.firstPiece].fileName);
        ShowWarning(owner, IDS_CANNOT_CREATE_FILE, destPath);
        return 0;
    default:
        return 0;
    }
}

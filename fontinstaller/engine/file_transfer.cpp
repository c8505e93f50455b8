#include "file_transfer.h"

#include <lzexpand.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ansi_text.h"
#include "box_text.h"
#include "install_session.h"
#include "message_ids.h"
#include "platform_version.h"
#include "temp_files.h"

namespace tarsik {

// Files are created and opened through _lcreat and _lopen, never through an
// OFSTRUCT: its record holds only 127 characters of path, and a longer
// destination or temporary path would leave a file that cannot be deleted
// again by its record. Every path here may use the full 259 characters.

namespace {

constexpr int kBlockSize = 32767;  // the most one _lread or _lwrite moves

char g_openedPiece[kPathCapacity];  // see LastOpenedPiece

// Warning shown for a negative LZ32 result: 100 + the code (92..99). A code
// outside the library's range is shown as a damaged source.
int ExpansionWarning(LONG code) {
    if (code < LZERROR_UNKNOWNALG || code > LZERROR_BADINHANDLE) code = LZERROR_READ;
    return IDS_EXPAND_BASE + static_cast<int>(code);
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

// Whether the group lies inside the script's piece table.
bool GroupInPieceTable(const FileGroup& group) {
    return group.pieceCount >= 1 && group.firstPiece >= 0 &&
           group.firstPiece <= g_installScript.piecesUsed - group.pieceCount;
}

// Whether one of the group's pieces, where it would be looked for now, is the
// destination itself (an installer run from a hard disk whose script names
// its own directory as a destination): the finished file would take the
// place of a piece it is made of.
bool PieceIsDestination(const SourcePiece* pieces, int count, const char* destFull) {
    for (int i = 0; i < count; ++i) {
        char path[kPathCapacity], full[kPathCapacity];
        if (!JoinPath(path, sizeof path, g_installSession.sourceDir, pieces[i].fileName)) continue;
        DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
        if (n > 0 && n < sizeof full && lstrcmpiA(full, destFull) == 0) return true;
    }
    return false;
}

bool IsDirectory(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a fully qualified path lies inside a directory (by its full
// path): a destination is never made anywhere else, whatever the names.
bool InsideDirectory(const char* full, const char* directory) {
    char dir[kPathCapacity];
    DWORD length = GetFullPathNameA(directory, sizeof dir, dir, nullptr);
    if (length == 0 || length >= sizeof dir) return false;
    if (!EndsWithBackslash(dir)) {
        if (length + 1 >= sizeof dir) return false;
        dir[length++] = '\\';
        dir[length] = '\0';
    }
    // The directory's characters (in any letter case), then a name inside.
    if (std::strlen(full) <= length) return false;
    char head[kPathCapacity];
    std::memcpy(head, full, length);
    head[length] = '\0';
    return lstrcmpiA(head, dir) == 0;
}

// One transfer: what it has made so far, so that one place can undo it.
struct Transfer {
    HWND owner;
    const FileGroup& group;
    const SourcePiece* pieces;
    const TransferOptions& options;
    OpenMode mode = OpenPlain;
    char destFull[kPathCapacity] = "";   // the destination, fully qualified
    char buildPath[kPathCapacity] = "";  // the new file, beside it, until it replaces it
    HFILE build = HFILE_ERROR;
    char joinPath[kPathCapacity] = "";  // compressed pieces joined raw, in the temporary directory
    HFILE join = HFILE_ERROR;
    bool copying = false;  // the pieces have started: failures are traced
    bool existed = false;  // a file of the destination's name was there before
};

// Whether an existing destination could be replaced: not read-only, not a
// directory, and not held open by a program that keeps others from writing
// or deleting it (as the system keeps a font file it is using).
bool Replaceable(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return true;
}

// Names the destination and creates the file the new one is built in. The
// group's directory is created first (one level; a failure shows here).
TransferResult PrepareDestination(Transfer* t, const char* destDir, char* destPath) {
    // A directory made here is the installer's: recorded before it is made.
    char dirFull[kPathCapacity];
    DWORD dirLength = GetFullPathNameA(destDir, sizeof dirFull, dirFull, nullptr);
    if (dirLength > 0 && dirLength < sizeof dirFull && !IsDirectory(dirFull) && !RecordDirectory(t->owner, dirFull))
        return TransferFailed;
    CreateDirectoryA(destDir, nullptr);
    char joined[kPathCapacity];
    int joinedWhole = JoinPath(joined, sizeof joined, destDir, t->pieces[0].fileName);
    if (t->options.trace) Trace("Dest %s\n", joined);
    CopyText(destPath, kPathCapacity, joined);
    // A cut path would name some other file: never create that one.
    if (!joinedWhole) return TransferNoDestination;
    DWORD length = GetFullPathNameA(joined, sizeof t->destFull, t->destFull, nullptr);
    if (length == 0 || length >= sizeof t->destFull) return TransferNoDestination;
    if (!InsideDirectory(t->destFull, destDir)) return TransferNoDestination;
    t->existed = GetFileAttributesA(t->destFull) != INVALID_FILE_ATTRIBUTES;
    if (PieceIsDestination(t->pieces, t->group.pieceCount, t->destFull)) return TransferNoDestination;
    if (!Replaceable(t->destFull)) return TransferNoDestination;

    // The new file is built beside the destination, under a name of ours;
    // what a killed transfer left there before is removed first.
    char directory[kPathCapacity];
    CopyText(directory, sizeof directory, t->destFull);
    directory[FileNamePart(directory) - directory] = '\0';
    RemoveStaleTempFiles(directory);
    if (!CreateOwnTempFile(directory, t->buildPath)) return TransferNoDestination;
    t->build = _lcreat(t->buildPath, 0);
    return t->build == HFILE_ERROR ? TransferNoDestination : TransferDone;
}

// Several compressed pieces are joined raw in a temporary file first.
bool OpenJoinFile(Transfer* t) {
    char tempDir[kPathCapacity];
    DWORD length = GetTempPathA(sizeof tempDir, tempDir);
    bool haveDir = length > 0 && length < sizeof tempDir;
    if (haveDir) RemoveStaleTempFiles(tempDir);
    bool named = haveDir && CreateOwnTempFile(tempDir, t->joinPath);
    if (named) t->join = _lcreat(t->joinPath, 0);
    if (t->join == HFILE_ERROR) {
        ShowWarning(t->owner, IDS_CANNOT_CREATE_TEMP, named ? t->joinPath : (haveDir ? tempDir : ""));
        // The (empty) file made under that name goes with the cleanup.
        if (!named) t->joinPath[0] = '\0';
        return false;
    }
    if (t->options.trace) Trace("\tTemp File \"%s\" created\n", t->joinPath);
    return true;
}

void ReportExpansionFailure(const Transfer& t, LONG code) {
    if (t.options.singlePieceReport == ReportStandard)
        ShowWarning(t.owner, ExpansionWarning(code));
    else if (t.options.singlePieceReport == ReportNamedFiles)
        ShowFormattedBox(t.owner, "Can't copy file [%s] to [%s]",
                         {SystemText(LastOpenedPiece()), SystemText(t.destFull)});
}

// Every piece in order onto the write target; false when one fails (then
// reported, or the user gave up in the disk prompt).
bool CopyPieces(Transfer* t) {
    t->copying = true;
    HFILE target = t->join != HFILE_ERROR ? t->join : t->build;
    for (int i = 0; i < t->group.pieceCount; ++i) {
        const SourcePiece& piece = t->pieces[i];
        HFILE source = OpenSourcePiece(t->owner, piece, t->mode);
        if (source == HFILE_ERROR) return false;
        SetStatus(IDS_STATUS_COPYING, piece.fileName);
        HFILE expanding = HFILE_ERROR;
        bool ok = true;
        if (t->mode == OpenExpanding) {
            SetBusyCursor(1);
            LONG written = ExpandFile(source, target, &expanding);
            if (written < 0) {
                ReportExpansionFailure(*t, written);
                ok = false;
            }
            SetBusyCursor(0);
        } else {
            int copied = CopyFileBlocks(target, source, 0);
            if (copied == IDS_WRITE_ERROR && target == t->join) {
                // The temporary directory is full, not the destination.
                ShowWarning(t->owner, IDS_CANNOT_CREATE_TEMP, t->joinPath);
                ok = false;
            } else if (copied != 0) {
                ShowWarning(t->owner, copied);
                ok = false;
            }
        }
        ClosePiece(source, expanding);
        ClearStatus();
        if (!ok) return false;
    }
    return true;
}

// Expands the joined pieces into the new file; the joined file goes.
bool ExpandJoined(Transfer* t) {
    _lclose(t->join);
    t->join = HFILE_ERROR;
    SetStatus(IDS_STATUS_EXPANDING, t->options.itemName);
    SetBusyCursor(1);
    HFILE joined = _lopen(t->joinPath, OF_READ);
    HFILE lz = HFILE_ERROR;
    LONG written = joined == HFILE_ERROR ? LZERROR_BADINHANDLE : ExpandFile(joined, t->build, &lz);
    if (written < 0) ShowWarning(t->owner, ExpansionWarning(written));
    if (joined != HFILE_ERROR) ClosePiece(joined, lz);
    DeleteFileA(t->joinPath);
    t->joinPath[0] = '\0';
    SetBusyCursor(0);
    if (t->options.trace) Trace("\tTemp File deleted\n");
    return written >= 0;
}

// The one way out: closes what is open and removes what the transfer made,
// except, on success, the destination itself.
TransferResult Finish(Transfer* t, TransferResult result, char* destPath) {
    if (t->join != HFILE_ERROR) _lclose(t->join);
    if (t->build != HFILE_ERROR) _lclose(t->build);
    t->build = HFILE_ERROR;
    // A new file is the installer's: recorded before it takes its name. One
    // that was there before is not, and a removal leaves it.
    if (result == TransferDone && !t->existed && !RecordFile(t->owner, t->destFull)) result = TransferFailed;
    if (result == TransferDone &&
        !MoveFileExA(t->buildPath, t->destFull, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // Taken by another program since it was looked at: it stays as it is.
        result = TransferNoDestination;
    }
    if (t->joinPath[0]) {
        DeleteFileA(t->joinPath);
        if (t->options.trace && t->copying) Trace("\tTemp File deleted on error\n");
    }
    if (result == TransferDone) {
        if (t->options.normalAttributes) SetFileAttributesA(t->destFull, FILE_ATTRIBUTE_NORMAL);
        CopyText(destPath, kPathCapacity, t->destFull);
        return result;
    }
    if (t->buildPath[0]) {
        DeleteFileA(t->buildPath);
        if (t->options.trace && t->copying) Trace("\tFile deleted on error\n");
    }
    if (result == TransferFailed) destPath[0] = '\0';
    return result;
}

// Windows 95 and 98 delete at the next start what the [rename] section of
// WININIT.INI names under "NUL", by its short name. The section may name
// several, which the profile functions cannot write: the line is added to
// the file as text.
bool DeleteAtRestartFromWinInit(const char* path) {
    char shortName[kPathCapacity], windows[kPathCapacity], ini[kPathCapacity];
    DWORD n = GetShortPathNameA(path, shortName, sizeof shortName);
    UINT w = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof shortName || w == 0 || w >= sizeof windows ||
        !JoinPath(ini, sizeof ini, windows, "WININIT.INI"))
        return false;
    HANDLE file =
        CreateFileA(ini, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size < 1024 * 1024;
    std::string text(ok ? size : 0, '\0');
    DWORD read = 0;
    ok = ok && (size == 0 || (ReadFile(file, text.data(), size, &read, nullptr) && read == size));
    if (ok) {
        const std::string line = std::string("NUL=") + shortName + "\r\n";
        // After the section's heading, or in a new section at the end.
        size_t heading = std::string::npos;
        for (size_t at = 0; at < text.size() && heading == std::string::npos;) {
            if (_strnicmp(text.c_str() + at, "[rename]", 8) == 0) heading = at;
            size_t next = text.find('\n', at);
            at = next == std::string::npos ? text.size() : next + 1;
        }
        if (heading != std::string::npos) {
            size_t after = text.find('\n', heading);
            if (after == std::string::npos) {
                text += "\r\n" + line;
            } else {
                text.insert(after + 1, line);
            }
        } else {
            if (!text.empty() && text.back() != '\n') text += "\r\n";
            text += "[rename]\r\n" + line;
        }
        DWORD written = 0;
        ok = SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
             WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
             written == text.size() && SetEndOfFile(file);
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

EntryOutcome RemoveInstalledFile(const char* path, char* why) {
    why[0] = '\0';
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return EntryRemoved;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return EntryRemoved;
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION) {
        const bool later = OnNtFamily() ? MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0
                                        : DeleteAtRestartFromWinInit(path);
        if (later) {
            std::snprintf(why, kWhyCapacity, "檔案正在使用中,將於重新啟動 Windows 時刪除");
            return EntryAtRestart;
        }
        std::snprintf(why, kWhyCapacity, "檔案正在使用中或無權刪除 (Windows 錯誤 %lu)",
                      static_cast<unsigned long>(error));
        return EntryNotRemoved;
    }
    std::snprintf(why, kWhyCapacity, "無法刪除檔案 (Windows 錯誤 %lu)", static_cast<unsigned long>(error));
    return EntryNotRemoved;
}

EntryOutcome RemoveMadeDirectory(const char* path, char* why) {
    why[0] = '\0';
    if (RemoveDirectoryA(path)) return EntryRemoved;
    const DWORD error = GetLastError();
    // Not empty: what else lies there is not ours to take.
    if (error == ERROR_DIR_NOT_EMPTY || !IsDirectory(path)) return EntryRemoved;
    std::snprintf(why, kWhyCapacity, "無法刪除目錄 (Windows 錯誤 %lu)", static_cast<unsigned long>(error));
    return EntryNotRemoved;
}

int CompressedName(char* result, int capacity, const char* path) {
    const char* dot = FileNamePart(path);
    while (*dot && *dot != '.') dot = CharNextA(dot);
    int extension = 0;  // characters after the dot
    const char* last = dot;
    for (const char* p = *dot ? CharNextA(dot) : dot; *p; p = CharNextA(p)) {
        ++extension;
        last = p;
    }
    int n;
    if (!*dot) {
        n = std::snprintf(result, capacity, "%s._", path);
    } else if (extension < 3) {
        n = std::snprintf(result, capacity, "%s_", path);
    } else {
        n = std::snprintf(result, capacity, "%.*s_", static_cast<int>(last - path), path);
    }
    return n >= 0 && n < capacity;
}

HFILE OpenPieceFile(const char* path, OpenMode mode) {
    HFILE file = _lopen(path, OF_READ);
    if (file != HFILE_ERROR) {
        CopyText(g_openedPiece, sizeof g_openedPiece, path);
    } else if (mode == OpenExpanding) {
        // A compressed file may lie on the disk under its compressed name.
        char compressed[kPathCapacity];
        if (CompressedName(compressed, sizeof compressed, path)) file = _lopen(compressed, OF_READ);
        if (file != HFILE_ERROR) CopyText(g_openedPiece, sizeof g_openedPiece, compressed);
    }
    return file;
}

const char* LastOpenedPiece() { return g_openedPiece; }

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
        result = IDS_NO_MEMORY;
    } else {
        LONG size = _llseek(source, 0, FILE_END);
        if (size == HFILE_ERROR || start < 0 || start > size || _llseek(source, start, FILE_BEGIN) != start) {
            result = IDS_READ_ERROR;
        } else {
            LONG remaining = size - start;
            while (remaining > 0 && result == 0) {
                UINT chunk = remaining < kBlockSize ? static_cast<UINT>(remaining) : kBlockSize;
                if (_lread(source, buffer, chunk) != chunk)
                    result = IDS_READ_ERROR;
                else if (_lwrite(target, buffer, chunk) != chunk)
                    result = IDS_WRITE_ERROR;
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
    if (!GroupInPieceTable(group)) {
        ShowWarning(owner, IDS_SCRIPT_INVALID);
        return TransferFailed;
    }
    Transfer t{owner, group, &g_installScript.pieces[group.firstPiece], options};
    TransferResult prepared = PrepareDestination(&t, destDir, destPath);
    if (prepared != TransferDone) return Finish(&t, prepared, destPath);
    if (group.compressed && group.pieceCount == 1) t.mode = OpenExpanding;
    if (group.compressed && group.pieceCount > 1 && !OpenJoinFile(&t)) return Finish(&t, TransferFailed, destPath);
    if (!CopyPieces(&t)) return Finish(&t, TransferFailed, destPath);
    if (t.join != HFILE_ERROR && !ExpandJoined(&t)) return Finish(&t, TransferFailed, destPath);
    return Finish(&t, TransferDone, destPath);
}

int TransferOrWarn(HWND owner, const FileGroup& group, const char* destDir, const TransferOptions& options,
                   char* destPath) {
    switch (TransferFileGroup(owner, group, destDir, options, destPath)) {
    case TransferDone:
        return 1;
    case TransferNoDestination:
        ShowWarning(owner, IDS_CANNOT_CREATE_FILE, destPath);
        return 0;
    default:
        return 0;
    }
}

}  // namespace tarsik

#include "file_transfer.h"

#include <lzexpand.h>

HFILE OpenPieceFile(const char* path, OpenMode mode) {
    if (mode == OpenExpanding) {
        OFSTRUCT record;
        INT handle = LZOpenFileA(const_cast<LPSTR>(path), &record, OF_READ);
        return handle < 0 ? HFILE_ERROR : handle;
    }
    return _lopen(path, OF_READ);
}

#include "stdout_capture.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <stdexcept>

#include "text_files.h"

namespace vexatest {

StdoutCapture::StdoutCapture() {
    char dir[MAX_PATH], file[MAX_PATH];
    if (!GetTempPathA(sizeof dir, dir) || !GetTempFileNameA(dir, "out", 0, file))
        throw std::runtime_error("no file for the captured output");
    path_ = file;
    std::fflush(stdout);
    saved_ = _dup(1);
    int fd = _open(file, _O_WRONLY | _O_TRUNC | _O_BINARY);
    if (saved_ < 0 || fd < 0 || _dup2(fd, 1) != 0) throw std::runtime_error("cannot redirect stdout");
    _close(fd);
}

StdoutCapture::~StdoutCapture() {
    std::fflush(stdout);
    _dup2(saved_, 1);
    _close(saved_);
    DeleteFileA(path_.c_str());
}

std::string StdoutCapture::Text() {
    std::fflush(stdout);
    std::string text;
    ReadBytes(path_, &text);
    return text;
}

}  // namespace vexatest

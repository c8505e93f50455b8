// Captures what the process writes to standard output (the CRT's stdout,
// file descriptor 1) while the object lives.
#pragma once
#include <string>

namespace vexatest {

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Everything written so far (stdout is flushed first).
    std::string Text();

private:
    std::string path_;
    int saved_ = -1;
};

}  // namespace vexatest

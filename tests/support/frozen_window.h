// A top-level window whose thread has stopped taking messages, as a frozen
// program's window is, for as long as the object lives.
#pragma once

#include <windows.h>

#include <thread>

namespace vexatest {

class FrozenWindow {
public:
    FrozenWindow();
    // Lets the thread take its messages again and end.
    ~FrozenWindow();
    FrozenWindow(const FrozenWindow&) = delete;
    FrozenWindow& operator=(const FrozenWindow&) = delete;
    HWND window() const { return window_; }

private:
    HANDLE ready_, release_;
    HWND window_ = nullptr;
    std::thread thread_;
};

}  // namespace vexatest

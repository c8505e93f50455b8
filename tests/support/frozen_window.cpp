#include "frozen_window.h"

namespace vexatest {

FrozenWindow::FrozenWindow()
    : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        window_ = CreateWindowExA(0, "STATIC", "frozen", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr, nullptr,
                                  nullptr);
        SetEvent(ready_);
        WaitForSingleObject(release_, INFINITE);  // no messages taken meanwhile
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        DestroyWindow(window_);
    });
    WaitForSingleObject(ready_, 10000);
}

FrozenWindow::~FrozenWindow() {
    SetEvent(release_);
    thread_.join();
    CloseHandle(ready_);
    CloseHandle(release_);
}

}  // namespace vexatest

// Programs of the build run as processes of their own, driven from outside:
// started with NUL as their standard handles (whatever they start must not
// keep the test's output pipe open, or CTest waits for it), found by their
// windows, and ended when the test is done with them.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vexatest {

// A path of the build tree (Unix) as Wine sees it on drive Z:.
std::wstring WinePath(const char* unixPath);

// The same place (a path in the system code page) through drive Z:, which
// Wine maps onto the root of the host's file system: another name for it.
// The path itself when Wine cannot tell.
std::string UnderDriveZ(const std::string& path);

// Whether a window is of that class.
bool HasClass(HWND window, const wchar_t* className);

// The visible top-level windows of a process (0: of any process) that
// `match` accepts.
std::vector<HWND> VisibleWindows(DWORD processId, const std::function<bool(HWND)>& match);

// The first of them, waited for up to `milliseconds`; nullptr when none came.
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD milliseconds = 15000);

// Waits up to `milliseconds` for `condition` to hold, for what another
// process does in its own time (a window it activates once its thread reads
// its messages); whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 15000);

class ChildProcess {
public:
    ChildProcess() = default;
    // A process that still runs is ended (exit code 99).
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess& operator=(ChildProcess&&) = delete;

    // Starts `commandLine` in `directory`, its standard handles on NUL (its
    // standard output into the file `output` unless that is empty). False
    // when it could not start, error() then says why.
    bool Start(const std::wstring& commandLine, const std::wstring& directory, const std::wstring& output = L"");

    // The first visible top-level window of the process that `match`
    // accepts, waited for up to `milliseconds`; nullptr when none came.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD milliseconds = 15000) const;

    // Waits up to `milliseconds` for the process to end; its exit code, or
    // nothing while it still runs.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = 15000) const;

    DWORD id() const { return process_.dwProcessId; }
    HANDLE handle() const { return process_.hProcess; }
    DWORD error() const { return error_; }

private:
    PROCESS_INFORMATION process_ = {};
    DWORD error_ = 0;
};

}  // namespace vexatest

// Wine starts a prefix's desktop process (explorer.exe) from the first
// process that needs a window, and hands it that process's standard error.
// Were that a test program, CTest would wait on the desktop's copy of the
// test's output pipe until the prefix shut down. So before any test here
// touches a window, a helper with NUL standard handles makes a window first;
// if the desktop is already up, the helper just ends.
#include <windows.h>

namespace {

bool StartDesktopQuietly() {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
    if (nul == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    // rundll32 creates its own hidden window before it calls anything.
    wchar_t commandLine[] = L"rundll32.exe user32.dll,GetDesktopWindow";
    PROCESS_INFORMATION process = {};
    bool started =
        CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process) != FALSE;
    CloseHandle(nul);
    if (!started) return false;
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

const bool g_desktopStarted = StartDesktopQuietly();

}  // namespace

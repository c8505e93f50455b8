#include "child_process.h"

#include <utility>

namespace vexatest {

std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p != '\0'; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

std::string UnderDriveZ(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return path;
    char* name = unixName(wide);
    if (!name) return path;
    std::string z = "Z:" + std::string(name);
    HeapFree(GetProcessHeap(), 0, name);
    for (char& c : z)
        if (c == '/') c = '\\';
    return z;
}

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return lstrcmpW(name, className) == 0;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>& match;
    std::vector<HWND> found;
};

// An enumeration callback is a function of the platform's calling
// convention, which a lambda is not on 32-bit Windows.
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((s->processId == 0 || owner == s->processId) && IsWindowVisible(window) && s->match(window))
        s->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> VisibleWindows(DWORD processId, const std::function<bool(HWND)>& match) {
    WindowSearch search = {processId, match, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = VisibleWindows(processId, match);
        if (!found.empty()) return found[0];
        if (GetTickCount() - start >= milliseconds) return nullptr;
        Sleep(50);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(50);
    }
}

ChildProcess::~ChildProcess() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, {})), error_(other.error_) {}

bool ChildProcess::Start(const std::wstring& commandLine, const std::wstring& directory, const std::wstring& output) {
    std::wstring line = commandLine;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
    HANDLE out = output.empty() ? nul
                                : CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (nul != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
        if (out != INVALID_HANDLE_VALUE) startup.hStdOutput = out;
    }
    BOOL started = FALSE;
    // Wine answers ERROR_INTERNAL_ERROR when a new process dies in its
    // start-up, before any code of the program ran; seen once in some
    // hundreds of starts while other processes of the prefix came and went.
    // That is the platform's hiccup, not the program's: one more try.
    for (int attempt = 0; attempt < 2 && !started; ++attempt) {
        started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 directory.empty() ? nullptr : directory.c_str(), &startup, &process_);
        error_ = started ? 0 : GetLastError();
        if (error_ != ERROR_INTERNAL_ERROR) break;
    }
    if (out != nul && out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    return started != FALSE;
}

HWND ChildProcess::WaitForWindow(const std::function<bool(HWND)>& match, DWORD milliseconds) const {
    // Process id 0 would stand for any process.
    if (process_.hProcess == nullptr) return nullptr;
    return vexatest::WaitForWindow(process_.dwProcessId, match, milliseconds);
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD milliseconds) const {
    DWORD code = 0;
    if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.hProcess, &code))
        return std::nullopt;
    return code;
}

}  // namespace vexatest

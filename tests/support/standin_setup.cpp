// A stand-in for a product's Setup.exe. With VEXA_SETUP_RECORD set it appends
// one line, "<own path>\t<current directory>\t<command line>" in UTF-8, to
// that file and ends; otherwise it shows which product's setup was started
// (the product is the name of the directory it lies in) and ends on OK.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnPath() {
    wchar_t path[1024] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, 1024);
    return length > 0 && length < 1024 ? std::wstring(path, length) : std::wstring();
}

std::wstring CurrentDirectory() {
    wchar_t path[1024] = {};
    DWORD length = GetCurrentDirectoryW(1024, path);
    return length > 0 && length < 1024 ? std::wstring(path, length) : std::wstring();
}

std::wstring ProductName(const std::wstring& ownPath) {
    size_t fileStart = ownPath.find_last_of(L'\\');
    if (fileStart == std::wstring::npos || fileStart == 0) return L"?";
    size_t dirStart = ownPath.find_last_of(L'\\', fileStart - 1);
    dirStart = dirStart == std::wstring::npos ? 0 : dirStart + 1;
    return ownPath.substr(dirStart, fileStart - dirStart);
}

bool AppendRecord(const wchar_t* recordPath, const std::wstring& line) {
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr,
                            nullptr);
    HANDLE file = CreateFileW(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == utf8.size();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring ownPath = OwnPath();
    std::wstring currentDirectory = CurrentDirectory();

    wchar_t recordPath[1024] = {};
    DWORD length = GetEnvironmentVariableW(L"VEXA_SETUP_RECORD", recordPath, 1024);
    if (length > 0 && length < 1024) {
        std::wstring line = ownPath + L"\t" + currentDirectory + L"\t" + GetCommandLineW() + L"\n";
        return AppendRecord(recordPath, line) ? 0 : 1;
    }

    std::wstring product = ProductName(ownPath);
    std::wstring text = L"The setup program of " + product + L" was started.\n\nProgram: " + ownPath +
                        L"\nCurrent directory: " + currentDirectory;
    std::wstring title = product + L" Setup";
    MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
    return 0;
}

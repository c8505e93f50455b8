#include "installer_log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "message_ids.h"
#include "trace.h"
#include "user_interface.h"

namespace tarsik {

namespace {

// A line holds any message (255 bytes), a trace line (1023 bytes) or a path
// with its words around it.
constexpr int kLineCapacity = 1200;

HANDLE g_log = INVALID_HANDLE_VALUE;
bool g_traceToStandardOutput = false;

void WriteBytes(const char* bytes, DWORD length) {
    DWORD written = 0;
    WriteFile(g_log, bytes, length, &written, nullptr);
}

void TraceToLog(const char* text) {
    LogBytes(text, CP_ACP);
    if (g_traceToStandardOutput) {
        std::fputs(text, stdout);
        std::fflush(stdout);
    }
}

void TraceNowhere(const char*) {}

}  // namespace

int OpenInstallerLog(const char* path, bool alsoStandardOutput) {
    CloseInstallerLog();
    // Appends only, so that two runs writing one log never overwrite each
    // other's lines; others may read it meanwhile.
    g_log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_log == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size;
    if (GetFileSizeEx(g_log, &size) && size.QuadPart == 0) WriteBytes("\xEF\xBB\xBF", 3);
    g_traceToStandardOutput = alsoStandardOutput;
    SetTraceSink(TraceToLog);
    return 1;
}

void DiscardTrace() { SetTraceSink(TraceNowhere); }

void CloseInstallerLog() {
    if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
    g_log = INVALID_HANDLE_VALUE;
}

void StartUserRunLog(const char* arguments, const CommandLine& options, int understood) {
    if (options.logPath[0] == '\0') return;
    if (!OpenInstallerLog(options.logPath, true)) {
        ShowWarning(nullptr, IDS_CANNOT_CREATE_FILE, options.logPath);
        return;
    }
    wchar_t text[1024];
    LogFormat(L"Tarsik.exe started: %ls", Widen(text, 1024, arguments, CP_ACP));
    if (!understood) LogFormat(L"argument ignored: %ls", Widen(text, 1024, options.firstUnknown, CP_ACP));
    if (options.destination[0] != '\0') LogLine(L"/D is for unattended runs (/S) only: ignored");
}

void EndRunLog(int exitCode) {
    LogFormat(L"exit code %d", exitCode);
    CloseInstallerLog();
}

void LogLine(const wchar_t* text) {
    if (g_log == INVALID_HANDLE_VALUE) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t line[kLineCapacity];
    int used = std::swprintf(line, kLineCapacity, L"%04d-%02d-%02d %02d:%02d:%02d ", now.wYear, now.wMonth, now.wDay,
                             now.wHour, now.wMinute, now.wSecond);
    if (used < 0) used = 0;
    // Room for the line's end: CR LF.
    const int limit = kLineCapacity - 2;
    int end = used;
    for (const wchar_t* p = text; *p && end < limit; ++p) {
        // A cut never leaves half of a surrogate pair.
        if (IS_HIGH_SURROGATE(*p) && end + 1 >= limit) break;
        line[end++] = (*p == L'\r' || *p == L'\n') ? L' ' : *p;
    }
    while (end > used && line[end - 1] == L' ') --end;
    line[end++] = L'\r';
    line[end++] = L'\n';
    char bytes[kLineCapacity * 3];
    int length = WideCharToMultiByte(CP_UTF8, 0, line, end, bytes, sizeof bytes, nullptr, nullptr);
    if (length > 0) WriteBytes(bytes, static_cast<DWORD>(length));
}

void LogFormat(const wchar_t* format, ...) {
    if (g_log == INVALID_HANDLE_VALUE) return;
    wchar_t text[kLineCapacity];
    va_list args;
    va_start(args, format);
    int n = std::vswprintf(text, kLineCapacity, format, args);
    va_end(args);
    // A text that does not fit is logged as far as it went.
    if (n < 0) text[kLineCapacity - 1] = L'\0';
    LogLine(text);
}

void LogMessage(int messageId, const wchar_t* text) { LogFormat(L"[%d] %ls", messageId, text); }

void LogBytes(const char* text, UINT codePage) {
    if (g_log == INVALID_HANDLE_VALUE) return;
    wchar_t wide[kLineCapacity];
    LogLine(Widen(wide, kLineCapacity, text, codePage));
}

const wchar_t* Widen(wchar_t* out, int capacity, const char* text, UINT codePage) {
    out[0] = L'\0';
    if (text == nullptr || capacity <= 0) return out;
    // A character of these code pages is one UTF-16 unit, so capacity-1
    // bytes, cut at a whole character, always fit.
    int length = 0;
    while (text[length]) {
        int step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[length])) && text[length + 1] ? 2 : 1;
        if (length + step > capacity - 1) break;
        length += step;
    }
    int n = length > 0 ? MultiByteToWideChar(codePage, 0, text, length, out, capacity - 1) : 0;
    out[n > 0 ? n : 0] = L'\0';
    return out;
}

}  // namespace tarsik

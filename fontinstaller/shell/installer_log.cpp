#include "installer_log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "ansi_text.h"
#include "file_identity.h"
#include "file_transfer.h"
#include "install_script.h"
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

bool Is(const FileIdentity& file, const char* path) {
    FileIdentity other;
    return IdentityOf(path, &other) && SameFile(file, other);
}

// Whether the open file is one that the run reads: the program itself, the
// install script beside it, or a piece there under its own or its
// compressed name. The script is read for its pieces without a word.
bool IsInputOfTheRun(HANDLE file) {
    FileIdentity log;
    if (!IdentityOf(file, &log)) return false;
    char program[kPathCapacity];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length > 0 && length < sizeof program && Is(log, program)) return true;
    SetTraceSink(TraceNowhere);
    const int loaded = LoadInstallScript();
    SetTraceSink(nullptr);
    const InstallScript& s = g_installScript;
    if (s.scriptPath[0] != '\0' && Is(log, s.scriptPath)) return true;
    if (loaded != kScriptLoaded) return false;
    for (int i = 0; i < s.piecesUsed; ++i) {
        char path[kPathCapacity], compressed[kPathCapacity];
        if (!JoinPath(path, sizeof path, s.installerDir, s.pieces[i].fileName)) continue;
        if (Is(log, path)) return true;
        if (CompressedName(compressed, sizeof compressed, path) && Is(log, compressed)) return true;
    }
    return false;
}

}  // namespace

LogOpening OpenInstallerLog(const char* path, bool alsoStandardOutput) {
    CloseInstallerLog();
    // Appends only, so that two runs writing one log never overwrite each
    // other's lines; others may read it meanwhile.
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return LogCannotOpen;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    // Not one byte goes into a file the run reads: a piece would install
    // with log lines in it.
    if (IsInputOfTheRun(log)) {
        CloseHandle(log);
        if (created) DeleteFileA(path);
        return LogIsAnInput;
    }
    g_log = log;
    LARGE_INTEGER size;
    if (GetFileSizeEx(g_log, &size) && size.QuadPart == 0) WriteBytes("\xEF\xBB\xBF", 3);
    g_traceToStandardOutput = alsoStandardOutput;
    SetTraceSink(TraceToLog);
    return LogOpened;
}

void DiscardTrace() { SetTraceSink(TraceNowhere); }

void CloseInstallerLog() {
    if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
    g_log = INVALID_HANDLE_VALUE;
}

void StartUserRunLog(const char* arguments, const CommandLine& options) {
    if (options.logPath[0] == '\0') return;
    if (OpenInstallerLog(options.logPath, true) != LogOpened) {
        ShowWarning(nullptr, IDS_CANNOT_CREATE_FILE, options.logPath);
        return;
    }
    wchar_t text[1024];
    LogFormat(L"Tarsik.exe started: %ls", Widen(text, 1024, arguments, CP_ACP));
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
    // Two runs may write one log: each line names its process.
    int used =
        std::swprintf(line, kLineCapacity, L"%04d-%02d-%02d %02d:%02d:%02d (pid %lu) ", now.wYear, now.wMonth, now.wDay,
                      now.wHour, now.wMinute, now.wSecond, static_cast<unsigned long>(GetCurrentProcessId()));
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

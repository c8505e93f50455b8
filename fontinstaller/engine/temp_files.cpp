#include "temp_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ansi_text.h"

namespace tarsik {

namespace {

const char kPrefix[] = "~tarsik-";
const char kPattern[] = "~tarsik-*.tmp";

// How many names one process tries in a directory before it gives up.
constexpr unsigned kAttempts = 1000;

// Every file name of ours differs: a counter of the process's own.
unsigned g_counter = 0;

// The writer's process id in a name of ours; false for any other name.
bool WriterOf(const char* name, DWORD* process) {
    const size_t prefix = sizeof kPrefix - 1;
    if (std::strncmp(name, kPrefix, prefix) != 0) return false;
    char* end = nullptr;
    unsigned long id = std::strtoul(name + prefix, &end, 16);
    if (end == name + prefix || *end != '-') return false;
    *process = static_cast<DWORD>(id);
    return true;
}

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether the process that made a file last written at `written` may still
// be writing it. A process id is used again once its process has gone: one
// that started after the file was last written is not its writer.
bool WriterRuns(DWORD process, const FILETIME& written) {
    if (process == GetCurrentProcessId()) return true;
    // The limited right exists from Vista on; older systems know the full one.
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process);
    if (!handle) handle = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, process);
    if (!handle) return GetLastError() != ERROR_INVALID_PARAMETER;  // refused: it runs, as someone else's
    bool runs = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    FILETIME start, exit, kernel, user;
    if (runs && GetProcessTimes(handle, &start, &exit, &kernel, &user) && Ticks(start) > Ticks(written)) runs = false;
    CloseHandle(handle);
    return runs;
}

}  // namespace

int CreateOwnTempFile(const char* dir, char* path) {
    path[0] = '\0';
    for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
        char name[48];
        std::snprintf(name, sizeof name, "%s%lx-%x.tmp", kPrefix, static_cast<unsigned long>(GetCurrentProcessId()),
                      g_counter++);
        if (!JoinPath(path, kPathCapacity, dir, name)) {
            path[0] = '\0';
            return 0;
        }
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 1;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    path[0] = '\0';
    return 0;
}

void RemoveStaleTempFiles(const char* dir) {
    char pattern[kPathCapacity];
    if (dir[0] == '\0' || !JoinPath(pattern, sizeof pattern, dir, kPattern)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DWORD writer = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !WriterOf(found.cFileName, &writer)) continue;
        if (WriterRuns(writer, found.ftLastWriteTime)) continue;
        char path[kPathCapacity];
        // A file still open (or read-only) refuses to go, and stays.
        if (JoinPath(path, sizeof path, dir, found.cFileName)) DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void RemoveStaleTempFilesInTemp() {
    char dir[kPathCapacity];
    DWORD length = GetTempPathA(sizeof dir, dir);
    if (length > 0 && length < sizeof dir) RemoveStaleTempFiles(dir);
}

}  // namespace tarsik

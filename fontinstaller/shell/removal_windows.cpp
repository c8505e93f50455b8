#include "removal_windows.h"

#include <cstdio>
#include <cstring>

#include "ansi_text.h"
#include "box_text.h"
#include "install_record.h"
#include "installer_main.h"
#include "installer_windows.h"
#include "message_ids.h"
#include "removal.h"
#include "shell_state.h"
#include "temp_files.h"
#include "unattended_install.h"
#include "user_interface.h"

namespace tarsik {

namespace {

constexpr DWORD kWaitForRemover = 60 * 1000;  // milliseconds

// Whether folder is a product's folder: "<root>\Tarsik\Tarsik-<id>".
bool IsProductFolder(const char* folder) {
    char parent[kPathCapacity];
    CopyText(parent, sizeof parent, folder);
    const char* name = FileNamePart(parent);
    if (std::strncmp(name, "Tarsik-", 7) != 0 || name == parent) return false;
    parent[name - parent - 1] = '\0';
    return lstrcmpiA(FileNamePart(parent), "Tarsik") == 0;
}

}  // namespace

int RemoverFolder(char (&folder)[kPathCapacity]) {
    DWORD n = ProgramPath(folder, kPathCapacity);
    if (n == 0 || n >= kPathCapacity) return 0;
    folder[n] = '\0';
    const char* last = LastBackslash(folder);
    if (!last) return 0;
    folder[last - folder] = '\0';
    return 1;
}

int RunUserRemoval(HINSTANCE instance) {
    HANDLE running = CreateMutexW(nullptr, TRUE, kRunningMutex);
    if (running != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(running);
        ShowFormattedBox(nullptr, "另一個安裝程式正在執行中,請等它結束後再試一次!");
        return ExitOtherInstaller;
    }
    char folder[kPathCapacity];
    int code = RemovalIncomplete, confirmed = 0, gone = 0;
    if (!RemoverFolder(folder)) {
        ShowWarning(nullptr, IDS_SYSTEM_ERROR);
    } else {
        // The windows of an install, for the status line; their list stays empty.
        const bool shown = RegisterWindowClasses(instance) && ShowInstallerWindows(instance);
        code = RunRemoval(shown ? g_shell.mainDialog : nullptr, folder, &confirmed, &gone);
        DestroyInstallerWindows();
        if (gone) StartRemoverCleanup(folder);
    }
    if (running != nullptr) {
        ReleaseMutex(running);
        CloseHandle(running);
    }
    return code;
}

void StartRemoverCleanup(const char* folder) {
    if (!IsProductFolder(folder)) return;
    char self[kPathCapacity], temp[kPathCapacity], copy[kPathCapacity], commandLine[3 * kPathCapacity];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    DWORD t = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof self || t == 0 || t >= sizeof temp || !CreateOwnTempFile(temp, copy)) return;
    int length = std::snprintf(commandLine, sizeof commandLine, "\"%s\" \"/CLEANUP=%s\"", copy, folder);
    if (length < 0 || length >= static_cast<int>(sizeof commandLine) || !CopyFileA(self, copy, FALSE)) {
        DeleteFileA(copy);
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copy, commandLine, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, temp, &startup,
                        &process)) {
        DeleteFileA(copy);
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

int RunRemoverCleanup(const char* folder) {
    char remover[kPathCapacity], record[kPathCapacity];
    if (!IsProductFolder(folder) || !JoinPath(remover, sizeof remover, folder, kRemoverName) ||
        !JoinPath(record, sizeof record, folder, kRecordName) || GetFileAttributesA(record) != INVALID_FILE_ATTRIBUTES)
        return 0;
    // The remover's file can go once its process has ended.
    for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitForRemover; Sleep(200))
        if (DeleteFileA(remover) || GetLastError() == ERROR_FILE_NOT_FOUND) break;
    RemoveDirectoryA(folder);
    char products[kPathCapacity];
    CopyText(products, sizeof products, folder);
    products[FileNamePart(products) - products - 1] = '\0';
    RemoveDirectoryA(products);  // only when no other product is left in it
    // This copy itself, at the next restart (or by a later run's sweep).
    char self[kPathCapacity];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n > 0 && n < sizeof self) MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}

}  // namespace tarsik

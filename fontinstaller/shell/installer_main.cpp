#include "installer_main.h"

#include "box_text.h"
#include "command_line.h"
#include "installer_log.h"
#include "installer_windows.h"
#include "messages.h"
#include "removal_windows.h"
#include "resource_ids.h"
#include "shell_ui.h"
#include "unattended_install.h"

namespace tarsik {

namespace {

const wchar_t kMainClass[] = L"cfinst";

// The running installer's main dialog, or before there is one the box that
// its start-up shows (no script, a wrong version): a box of its own caption.
HWND FindRunningInstaller() {
    HWND main = FindWindowW(kMainClass, nullptr);
    return main != nullptr ? main : FindWindowW(L"#32770", g_shell.caption);
}

bool UnattendedRunGoingOn() {
    HANDLE marker = OpenMutexW(SYNCHRONIZE, FALSE, kUnattendedMutex);
    if (marker == nullptr) return false;
    CloseHandle(marker);
    return true;
}

// Brings the running installer forward: its main dialog, or the dialog or
// box that its install run or its start-up has open. It may still be
// starting up, so its window is waited for a moment. An installer without
// a window (an administrator's unattended run) cannot be brought forward:
// the user is told to wait for it instead of being left without a word.
void HandOverToRunningInstaller() {
    HWND running = nullptr;
    if (!UnattendedRunGoingOn())
        for (int i = 0; i < 50 && (running = FindRunningInstaller()) == nullptr; ++i) Sleep(100);
    if (running == nullptr) {
        ShowFormattedBox(nullptr, "另一個安裝程式正在執行中,請等它結束後再試一次!");
        return;
    }
    if (IsIconic(running)) ShowWindowAsync(running, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(running));
}

int RunMessageLoop(HINSTANCE instance) {
    HACCEL accelerators = LoadAcceleratorsA(instance, TARSIK_ACCELERATORS);
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 0;
        HWND dialog = g_shell.mainDialog;
        if (dialog != nullptr && accelerators != nullptr && TranslateAcceleratorW(dialog, accelerators, &message))
            continue;
        if (dialog != nullptr && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunInstaller(HINSTANCE instance) {
    if (!WindowsVersionSuffices()) {
        ShowWarning(nullptr, IDS_NEEDS_WINDOWS95);
        return 0;
    }
    if (!RegisterWindowClasses(instance)) return 0;
    if (!CreateInstallerWindows(instance)) return 0;
    return RunMessageLoop(instance);
}

}  // namespace

bool WindowsVersionSuffices() {
    WORD version = LOWORD(GetVersion());
    int major = LOBYTE(version), minor = HIBYTE(version);
    return major * 256 + minor >= 3 * 256 + 10;
}

int InstallerMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_shell.instance = instance;
    LoadCaption(instance);
    CommandLine options;
    const int understood = ParseCommandLine(commandLine, &options);
    // A command line with anything not understood never opens a window: a
    // deployment tool that sent it would wait for a click for ever.
    if (understood && options.cleanup[0] != '\0') return RunRemoverCleanup(options.cleanup);
    if (options.silent || !understood) return RunUnattended(commandLine, options, understood);
    UseShellUi();
    StartUserRunLog(commandLine, options);
    if (options.remove) {
        const int code = RunUserRemoval(instance);
        EndRunLog(code);
        return code;
    }

    // Owned while this installer runs, so that an unattended one can wait
    // for its end.
    HANDLE running = CreateMutexW(nullptr, TRUE, kRunningMutex);
    if (running != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        HandOverToRunningInstaller();
        CloseHandle(running);
        EndRunLog(0);
        return 0;
    }
    int code = RunInstaller(instance);
    if (running != nullptr) {
        ReleaseMutex(running);
        CloseHandle(running);
    }
    EndRunLog(code);
    return code;
}

}  // namespace tarsik

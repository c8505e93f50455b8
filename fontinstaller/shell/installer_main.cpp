#include "installer_main.h"

#include "installer_windows.h"
#include "messages.h"
#include "resource_ids.h"
#include "shell_ui.h"

namespace tarsik {

namespace {

// Held while an installer runs: one installer at a time.
const wchar_t kRunningMutex[] = L"VexaLab.Tarsik.FontInstaller";
const wchar_t kMainClass[] = L"cfinst";

// Brings the running installer forward: its main dialog, or the dialog or
// box that its install run has open. It may still be starting up, so its
// dialog is waited for a moment.
void HandOverToRunningInstaller() {
    HWND running = nullptr;
    for (int i = 0; i < 50 && (running = FindWindowW(kMainClass, nullptr)) == nullptr; ++i) Sleep(100);
    if (running == nullptr) return;
    if (IsIconic(running)) ShowWindowAsync(running, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(running));
}

bool WindowsVersionSuffices() {
    WORD version = LOWORD(GetVersion());
    int major = LOBYTE(version), minor = HIBYTE(version);
    return major * 256 + minor >= 3 * 256 + 10;
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

int InstallerMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_shell.instance = instance;
    LoadCaption(instance);
    UseShellUi();

    HANDLE running = CreateMutexW(nullptr, FALSE, kRunningMutex);
    if (running != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        HandOverToRunningInstaller();
        CloseHandle(running);
        return 0;
    }
    int code = RunInstaller(instance);
    if (running != nullptr) CloseHandle(running);
    return code;
}

}  // namespace tarsik

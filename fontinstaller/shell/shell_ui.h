// The installer's user interface as the engine sees it, on real windows:
// boxes with the installer's caption, the main dialog's status line, the
// busy cursor, the destination dialog and the disk prompt.
#pragma once

#include "user_interface.h"

namespace tarsik {

class ShellUi final : public InstallerUi {
public:
    void ShowWarning(HWND owner, int messageId, const char* arg1, const char* arg2) override;
    void ShowBox(HWND owner, const wchar_t* text) override;
    void ShowSpaceBox(HWND owner, const char* text) override;
    void SetStatus(int messageId, const char* argument) override;
    void ClearStatus() override;
    void SetBusyCursor(int on) override;
    int AskDestination(HWND owner, const char* prompt) override;
    HFILE DiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode) override;
    int Confirm(HWND owner, const wchar_t* text) override;
    void Report(const wchar_t* line) override;
};

// Makes the process's one ShellUi the engine's interface.
void UseShellUi();

}  // namespace tarsik

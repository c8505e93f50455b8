// Everything the engine says to the user, or asks, goes through this one
// interface: the shell supplies the real windows, tests a scripted stand-in
// that records every text and answers every prompt.
#pragma once

#include <windows.h>

#include "install_script.h"

namespace tarsik {

// How a source piece is opened: through the LZ32 library (expanding while it
// is copied) or as a plain file.
enum OpenMode { OpenPlain = 0, OpenExpanding = 1 };

// The four lists of the install script, as an install run reports its items.
enum ItemCategory { CategoryMisc, CategoryTable, CategoryFont, CategoryEudc };

class InstallerUi {
public:
    virtual ~InstallerUi() = default;

    // String-table message by number, formatted with up to two text
    // arguments; exclamation beep; task-modal OK box, warning icon, the
    // installer's caption.
    virtual void ShowWarning(HWND owner, int messageId, const char* arg1, const char* arg2) = 0;
    // A fixed text (already formatted) in a task-modal OK box with the
    // warning icon and the installer's caption, without a beep.
    virtual void ShowBox(HWND owner, const wchar_t* text) = 0;
    // The disk-space box: stop icon, OK, its own caption (stored in code
    // page 932); the text is in the installer's code page.
    virtual void ShowSpaceBox(HWND owner, const char* text) = 0;
    // Status line: message by number with one argument; cleared.
    virtual void SetStatus(int messageId, const char* argument) = 0;
    virtual void ClearStatus() = 0;
    // Hourglass (nonzero) or arrow.
    virtual void SetBusyCursor(int on) = 0;
    // Destination dialog preset to g_installSession.chosenDir; 1 when the user
    // confirmed a directory (then in chosenDir), 0 when cancelled. An empty
    // prompt shows the dialog's own prompt text.
    virtual int AskDestination(HWND owner, const char* prompt) = 0;
    // Disk prompt for a piece that was not found: returns the piece's open
    // read handle, or -1 when the user gave up (Exit also raises
    // g_installSession.abortFlag).
    virtual HFILE DiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode) = 0;
    // An item of the run has been tried (index 0-based in its list):
    // installed 1, or 0 after its own messages said why not. Nothing shows
    // on screen; an unattended run keeps its record from it.
    virtual void ItemDone(ItemCategory, int, int) {}
    // A yes-or-no question (a removal's confirmation): 1 for yes.
    virtual int Confirm(HWND, const wchar_t*) { return 1; }
    // A line for the run's log only (what a removal did with each entry).
    virtual void Report(const wchar_t*) {}
};

// The interface in force; the shell (or a test) sets it before any install.
void SetInstallerUi(InstallerUi* ui);
InstallerUi& Ui();

// Shorthands used throughout the engine.
void ShowWarning(HWND owner, int messageId, const char* arg1 = nullptr, const char* arg2 = nullptr);
void ShowBox(HWND owner, const wchar_t* text);
void SetStatus(int messageId, const char* argument);
void ClearStatus();
void SetBusyCursor(int on);

}  // namespace tarsik

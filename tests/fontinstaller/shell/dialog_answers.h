// Answers the dialogs and message boxes that code under test opens on this
// thread, one responder per appearance: a thread timer, running inside their
// modal loops, hands each dialog that waits for the user to the next
// responder (which may read it and type into it) and presses the button it
// returns. A dialog that stays open after its answer is answered again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace shelltest {

using Responder = std::function<int(HWND dialog)>;

// Runs action with the responders in force; a dialog beyond them is closed
// with IDCANCEL. Returns how many dialogs appeared.
int RespondToDialogs(const std::function<void()>& action, std::vector<Responder> responders);

// What a dialog showed, as its responder saw it.
struct Shown {
    std::wstring caption;
    std::wstring text;      // control 100 of the installer's dialogs, or a box's message
    std::string directory;  // control 101 (system code page), when there is one
};
Shown Read(HWND dialog);

// A responder that records the dialog into *seen, types `typed` into
// control 101 (unless nullptr) and presses `button`.
Responder Answer(std::vector<Shown>* seen, int button, const char* typed = nullptr);

// Window text through the wide API.
std::wstring WideText(HWND window);

// UTF-8 as UTF-16.
std::wstring Wide(const std::string& utf8);

}  // namespace shelltest

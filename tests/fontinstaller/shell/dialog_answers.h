// Answers the dialogs and message boxes that code under test opens: a
// thread timer, running inside their modal loops, hands each dialog that
// waits for the user to the next responder, which may read it and type into
// it, and presses the button the responder returns. A dialog that stays
// after its answer (it showed a box) is answered again once it is enabled.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace shelltest {

using Responder = std::function<int(HWND dialog)>;

// Runs action; dialogs beyond the responders are closed with IDCANCEL.
void RespondToDialogs(const std::function<void()>& action, std::vector<Responder> responders);

// What a dialog (of any process) shows: its caption, control 100 or else a
// box's message, and control 101 in the system code page.
struct Shown {
    std::wstring caption, text;
    std::string field;
};
Shown Read(HWND dialog);

// Records the dialog into *seen, types `typed` (unless nullptr) into control
// 101, and presses `button`.
Responder Answer(std::vector<Shown>* seen, int button, const char* typed = nullptr);

}  // namespace shelltest

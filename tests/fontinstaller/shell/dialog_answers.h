// Reading and answering the installer's dialogs and boxes (through
// vexatest::RespondToDialogs): the prompt of control 100 or a box's message,
// and the directory field 101 in the system code page.
#pragma once

#include <windows.h>

#include "dialog_watch.h"

#include <functional>
#include <string>
#include <vector>

namespace vexatest {

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

}  // namespace vexatest

// Answers the modal dialogs and message boxes that code under test opens on
// this thread: a thread timer, running inside their modal loops, finds each
// new dialog window, records its caption and texts, and presses a button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vexatest {

struct SeenDialog {
    std::wstring caption;
    std::vector<std::wstring> texts;  // texts of its static controls, in order
    HWND owner = nullptr;             // its owner window when it appeared
    int pressed = 0;                  // the button id that closed it
    std::wstring pressedText;         // that button's caption
};

// Runs action; the n-th dialog that appears (on this thread, after action
// began) is closed with buttons[n] (IDOK
// when the list runs out). Returns the dialogs seen, in order.
std::vector<SeenDialog> AnswerDialogs(const std::function<void()>& action, std::vector<int> buttons = {});

}  // namespace vexatest

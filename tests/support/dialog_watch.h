// Answers the modal dialogs and message boxes that code under test opens on
// this thread: a thread timer, running inside their modal loops, hands each
// new dialog that waits for the user to the next answer, which may read it
// and type into it, and presses the button the answer returns. A dialog that
// stays after its answer (it opened a box of its own) is answered again once
// it is enabled again. Dialogs that were open before the action are left
// alone.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vexatest {

// The text of a window (its caption, or a control's text).
std::wstring WindowText(HWND window);

// The window rectangle of `child` in its parent's client coordinates.
RECT ChildRect(HWND child);

// Runs `action` from inside the modal loop that this thread enters next (a
// dialog's), through a thread timer.
void RunSoon(const std::function<void()>& action);

// Reads or fills a dialog; returns the id of the button to press.
using Responder = std::function<int(HWND dialog)>;

// Runs action; dialogs beyond the responders are closed with IDCANCEL.
void RespondToDialogs(const std::function<void()>& action, std::vector<Responder> responders);

struct SeenDialog {
    std::wstring caption;
    std::vector<std::wstring> texts;  // texts of its static controls, in order
    HWND owner = nullptr;             // its owner window when it appeared
    int pressed = 0;                  // the button id that closed it
    std::wstring pressedText;         // that button's caption
};

// Runs action; the n-th dialog that appears is closed with buttons[n] (IDOK
// when the list runs out). Returns the dialogs seen, in order.
std::vector<SeenDialog> AnswerDialogs(const std::function<void()>& action, std::vector<int> buttons = {});

}  // namespace vexatest

// Runs the real chooser dialog in-process and drives it from inside its own
// modal message loop.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "chooser_window.h"
#include "dialog_watch.h"

namespace vexatest {

// Shows `chooser` modally; once it is up, `script` runs inside the dialog's
// message loop with the dialog's window. If the script leaves the dialog
// open, it is cancelled. Returns what the dialog ended with.
INT_PTR RunChooser(orvane::ChooserWindow& chooser, const std::function<void(HWND)>& script);

}  // namespace vexatest

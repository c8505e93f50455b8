#include "chooser_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace vexatest {

INT_PTR RunChooser(orvane::ChooserWindow& chooser, const std::function<void(HWND)>& script) {
    bool ran = false;
    RunSoon([&chooser, &script, &ran] {
        HWND dialog = chooser.hwnd();
        if (dialog == nullptr) return;
        ran = true;
        script(dialog);
        // Ended dialogs are destroyed before another message is read, so a
        // Cancel posted to one is simply dropped.
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    INT_PTR result = chooser.DoModal();
    if (!ran) ADD_FAILURE() << "the chooser never came up (result " << result << ")";
    return result;
}

}  // namespace vexatest

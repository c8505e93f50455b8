#include "chooser_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vexatest {
namespace {

std::function<void()> g_soon;

void CALLBACK SoonTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> action = std::move(g_soon);
    g_soon = nullptr;
    if (action) action();
}

// Runs `action` from inside the modal loop the thread enters next.
void RunSoon(const std::function<void()>& action) {
    g_soon = action;
    SetTimer(nullptr, 0, 10, SoonTimer);
}

}  // namespace

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
    INT_PTR result = chooser.Run(nullptr);
    if (!ran) ADD_FAILURE() << "the chooser never came up (result " << result << ")";
    return result;
}

RECT ChildRect(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace vexatest

// The About box (template 100): icon, version line and OK. It has no
// behaviour of its own beyond ending on OK, Escape or its close box.
#pragma once
#include "dialog_base.h"

namespace orvane {

class AboutBox : public DialogBase {
public:
    // Shows the box modally over `owner`; returns when it has been closed.
    INT_PTR Run(HINSTANCE instance, HWND owner);

protected:
    INT_PTR DialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace orvane

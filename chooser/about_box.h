// The About box (template 100): icon, version line and OK. It has no
// behaviour of its own beyond the base's: it ends on OK, Escape or its close
// box.
#pragma once
#include "dialog_base.h"

namespace orvane {

class AboutBox : public DialogBase {
public:
    // The box over `owner`; DoModal shows it and returns when it has been
    // closed.
    AboutBox(HINSTANCE instance, HWND owner);
};

}  // namespace orvane

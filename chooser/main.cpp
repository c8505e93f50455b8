// Orvane, the product chooser: shows the chooser and ends when it closes.
#include "chooser_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    orvane::ChooserWindow chooser(instance);
    chooser.DoModal();
    return 0;
}

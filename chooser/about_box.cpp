#include "about_box.h"

#include "resource_ids.h"

namespace orvane {

AboutBox::AboutBox(HINSTANCE instance, HWND owner) : DialogBase(instance, IDD_ABOUTBOX, owner) {}

}  // namespace orvane

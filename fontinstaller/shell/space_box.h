// The disk-space box of the installer's shell: its caption is the one text
// of the installer stored in code page 932, so it is shown through the wide
// API and reads correctly whatever the system's code page.
#pragma once

#include <windows.h>

namespace tarsik {

// The caption as stored (code page 932 bytes).
extern const char kSpaceBoxCaption932[];

// Shows text (code page 950) in a message box owned by owner, with the stop
// icon, OK and the caption converted from code page 932.
void ShowSpaceMessage(HWND owner, const char* text);

}  // namespace tarsik

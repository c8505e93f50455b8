// Texts of the plain message boxes: formatted into a fixed buffer of the
// installer's message capacity and cut, never overrun, when too long.
#pragma once

#include <windows.h>

#include "trace.h"

namespace tarsik {

// Message texts hold at most 255 characters and a terminating NUL.
constexpr int kMessageCapacity = 256;

// printf-style formatting into buffer (capacity bytes). A text that does not
// fit is cut at a whole character of the ANSI code page (never between the
// two bytes of a double-byte character). Returns 1 when the whole text
// fitted, 0 when it was cut.
int FormatBoxText(char* buffer, int capacity, const char* format, ...) VEXA_PRINTF_LIKE(3, 4);

// Formats a box text the same way and shows it in the plain box (task-modal
// OK, warning icon, the installer's caption, no beep).
void ShowFormattedBox(HWND owner, const char* format, ...) VEXA_PRINTF_LIKE(2, 3);

}  // namespace tarsik

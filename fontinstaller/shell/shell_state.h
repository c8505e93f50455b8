// The process-wide state of the installer's shell: the program instance,
// the caption of its boxes, its two windows and their pictures.
#pragma once

#include <windows.h>

namespace tarsik {

// A message text: at most 255 bytes and a terminating NUL.
constexpr int kTextCapacity = 256;

struct ShellState {
    HINSTANCE instance;
    wchar_t caption[kTextCapacity];  // string 151, or the English fallback
    HWND backgroundWindow;           // class "cfinst-Bk", the whole screen
    HWND mainDialog;                 // template 5, class "cfinst"
    HBITMAP tile;                    // bitmap 1, loaded by the background window
    HBITMAP logo;                    // bitmap 2, loaded by the main dialog
};

extern ShellState g_shell;

}  // namespace tarsik

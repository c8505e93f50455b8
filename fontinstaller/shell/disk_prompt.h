// The disk prompt (template 3): asks for the disk that holds a piece which
// is not in the source directory.
#pragma once

#include <windows.h>

#include "install_script.h"
#include "user_interface.h"

namespace tarsik {

// Shows the piece's disk label and file name and offers the session's
// source directory. OK takes the typed directory as the new source
// directory and opens the piece there in `mode`; when it does not open, a
// box says so and the prompt stays. Returns the open read handle, or -1
// when the user gave up (Cancel, the close box, or Exit, which also raises
// the session's abort flag).
HFILE RunDiskPrompt(HWND owner, const SourcePiece& piece, OpenMode mode);

}  // namespace tarsik

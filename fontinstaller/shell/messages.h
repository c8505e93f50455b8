// The installer's message catalogue and how its texts reach the screen.
//
// Texts are put together as bytes: the installer's own texts and the names
// and disk labels of the install script are Traditional Chinese in code page
// 950 (Big5), while paths and file names are in the system's code page. A
// formatted text keeps at most 255 bytes, cut at a whole character, and is
// shown through the wide API, each part converted from its own code page,
// so that it reads correctly whatever the system's code page is.
#pragma once

#include <windows.h>

#include "shell_state.h"

namespace tarsik {

// The code page of the installer's own texts and of the install script.
constexpr UINT kInstallerCodePage = 950;

// One text argument and the code page of its bytes.
struct TextArg {
    const char* text;  // nullptr reads as empty
    UINT codePage;
};

// g_shell.caption := message 151, or "VexaLab TT Font Installer" when the
// string table does not have it.
void LoadCaption(HINSTANCE instance);

// Message `id` of the string table as code page 950 bytes, at most
// capacity-1 of them, cut at a whole character. Returns the length, 0 when
// the message does not exist.
int LoadMessage(int id, char* text, int capacity);

// Formats `format` (code page 950) into UTF-16: each %s takes the next
// argument (a missing one reads as empty), %% gives a percent sign, anything
// else stands as it is. The bytes of the format and the arguments together
// are cut to 255 at a whole character of each one's code page.
void FormatText(wchar_t* out, int capacity, const char* format, const TextArg* args, int argCount);

// Message `id` formatted with up to two arguments. Their code pages follow
// from the message: paths and file names are in the system's code page,
// item names and disk labels in code page 950.
void FormatMessageText(wchar_t* out, int capacity, int id, const char* arg1, const char* arg2);

// Code page 950 text (an item name, a prompt) in UTF-16, cut like a message.
void WidenInstallerText(wchar_t* out, int capacity, const char* text);

}  // namespace tarsik

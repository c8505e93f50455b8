// The installer's message catalogue and how its texts reach the screen.
//
// Messages are formatted as the boxes' texts are (FormatText): each
// argument in its own code page, at most 255 bytes, shown through the wide
// API.
#pragma once

#include <windows.h>

#include "box_text.h"
#include "install_record.h"
#include "shell_state.h"

namespace tarsik {

// g_shell.caption := message 151, or "VexaLab TT Font Installer" when the
// string table does not have it.
void LoadCaption(HINSTANCE instance);

// Message `id` of the string table as code page 950 bytes, at most
// capacity-1 of them, cut at a whole character. Returns the length, 0 when
// the message does not exist.
int LoadMessage(int id, char* text, int capacity);

// Message `id` formatted with up to two arguments. Their code pages follow
// from the message: paths and file names are in the system's code page,
// item names and disk labels in code page 950.
void FormatMessageText(wchar_t* out, int capacity, int id, const char* arg1, const char* arg2);

// How Apps & features names a product whose script does not: the
// installer's caption, and the version and publisher of the installer.
ProductDefaults ProductDefaultTexts();

// Code page 950 text (an item name, a prompt) in UTF-16, cut like a message.
void WidenInstallerText(wchar_t* out, int capacity, const char* text);

}  // namespace tarsik

// Texts of the installer's boxes. They are put together as bytes: the
// installer's own texts and the names and disk labels of the install script
// are Traditional Chinese in code page 950 (Big5), while paths, file names
// and registry keys are in the system's code page. A formatted text keeps at
// most 255 bytes, cut at a whole character, and is shown through the wide
// API, each part converted from its own code page, so that it reads
// correctly whatever the system's code page is.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace tarsik {

// Message texts hold at most 255 bytes and a terminating NUL.
constexpr int kMessageCapacity = 256;

// The code page of the installer's own texts and of the install script.
constexpr UINT kInstallerCodePage = 950;

// One text argument and the code page of its bytes.
struct TextArg {
    const char* text;  // nullptr reads as empty
    UINT codePage;
};

// An item's name or another text of the install script.
inline TextArg InstallerText(const char* text) { return {text, kInstallerCodePage}; }
// A path, a file name or a registry key, as the system names it.
inline TextArg SystemText(const char* text) { return {text, CP_ACP}; }

// How many bytes of text[0..length) fit into budget bytes, counting whole
// characters of the code page only.
int WholeCharacterBytes(const char* text, int length, UINT codePage, int budget);

// Formats `format` (code page 950) into `out` (capacity UTF-16 units, any
// capacity): each %s takes the next argument (a missing one reads as empty),
// %% gives a percent sign, anything else stands as it is. The bytes of the
// format and the arguments together are cut to 255 at a whole character of
// each one's code page, and the result to what `out` holds.
void FormatText(wchar_t* out, int capacity, const char* format, const TextArg* args, int argCount);

// Formats a box text the same way and shows it in the plain box (task-modal
// OK, warning icon, the installer's caption, no beep).
void ShowFormattedBox(HWND owner, const char* format, std::initializer_list<TextArg> args = {});

}  // namespace tarsik

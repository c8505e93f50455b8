#include "box_text.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "ansi_text.h"
#include "user_interface.h"

namespace tarsik {

namespace {

int FormatBoxTextV(char* buffer, int capacity, const char* format, va_list args) {
    if (capacity <= 0) return 0;
    int needed = std::vsnprintf(buffer, static_cast<size_t>(capacity), format, args);
    if (needed < 0) {
        buffer[0] = '\0';
        return 0;
    }
    if (needed < capacity) return 1;
    // A cut may leave the first half of a double-byte character, which
    // would pair with the terminating NUL into a broken one.
    CutAtWholeCharacter(buffer);
    return 0;
}

}  // namespace

int FormatBoxText(char* buffer, int capacity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int whole = FormatBoxTextV(buffer, capacity, format, args);
    va_end(args);
    return whole;
}

void ShowFormattedBox(HWND owner, const char* format, ...) {
    char text[kMessageCapacity];
    va_list args;
    va_start(args, format);
    FormatBoxTextV(text, sizeof text, format, args);
    va_end(args);
    ShowBox(owner, text);
}

}  // namespace tarsik

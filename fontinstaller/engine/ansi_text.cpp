#include "ansi_text.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace tarsik {

const char* LastBackslash(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\') last = p;
    return last;
}

bool EndsWithBackslash(const char* path) {
    const char* last = LastBackslash(path);
    return last && last[1] == '\0';
}

const char* FileNamePart(const char* path) {
    const char* last = LastBackslash(path);
    return last ? last + 1 : path;
}

bool HasDriveLetter(const char* path) {
    char first = path[0];
    return ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')) && path[1] == ':';
}

bool StaysInside(const char* name) {
    if (name[0] == '\\' || name[0] == '/') return false;
    int dots = 0, others = 0, length = 0;  // of the component read so far
    for (const char* p = name;; p = CharNextA(p)) {
        const char c = *p;
        if (c == '\0' || c == '\\' || c == '/') {
            // "." alone stays; dots and spaces alone otherwise climb or vanish.
            if (length > 0 && others == 0 && !(dots == 1 && length == 1)) return false;
            if (c == '\0') return true;
            dots = others = length = 0;
            continue;
        }
        if (c == ':') return false;
        ++length;
        if (c == '.')
            ++dots;
        else if (c != ' ')
            ++others;
    }
}

bool HasAnyOf(const char* text, const char* set) {
    // At the start of a character a byte is either a single-byte character
    // or a lead byte, and no lead byte is ASCII.
    for (const char* p = text; *p; p = CharNextA(p))
        if (std::strchr(set, *p)) return true;
    return false;
}

int CutAtWholeCharacter(char* text) {
    char* p = text;
    while (*p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] == '\0') {
            *p = '\0';
            break;
        }
        p = CharNextA(p);
    }
    return static_cast<int>(p - text);
}

int CopyWholeCharacters(char* target, int capacity, const char* text) {
    int fits = CopyText(target, capacity, text);
    if (capacity > 0) CutAtWholeCharacter(target);
    return fits;
}

int CopyText(char* target, int capacity, const char* text) {
    if (capacity <= 0) return 0;
    size_t length = std::strlen(text);
    size_t room = static_cast<size_t>(capacity) - 1;
    size_t n = length < room ? length : room;
    std::memmove(target, text, n);
    target[n] = '\0';
    return length <= room;
}

int JoinPath(char* result, int capacity, const char* directory, const char* name) {
    if (capacity <= 0) return 0;
    bool slash = directory[0] != '\0' && !EndsWithBackslash(directory);
    int n = std::snprintf(result, capacity, "%s%s%s", directory, slash ? "\\" : "", name);
    return n >= 0 && n < capacity;
}

}  // namespace tarsik

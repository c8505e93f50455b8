#include "command_line.h"

#include <cstring>

#include "ansi_text.h"

namespace tarsik {

namespace {

// An argument may be longer than any value it can carry: it is read whole
// (and then refused) up to this many bytes, cut after that.
constexpr int kArgumentCapacity = 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether argument begins with the switch name (ASCII, after its "/"), in
// any letter case, and with "/" or "-". A byte of a double-byte character is
// never an ASCII letter's match, so a match ends at a whole character.
bool BeginsWithSwitch(const char* argument, const char* name) {
    if (argument[0] != '/' && argument[0] != '-') return false;
    for (++argument, ++name; *name; ++argument, ++name) {
        char c = *argument;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != *name) return false;
    }
    return true;
}

// Reads the next argument into argument (kArgumentCapacity bytes, cut at a
// whole character); returns where reading stopped, nullptr when no argument
// is left. *cut tells that the argument was longer than the buffer.
const char* NextArgument(const char* p, char* argument, bool* cut) {
    while (*p && IsBlank(*p)) ++p;
    if (!*p) return nullptr;
    int used = 0;
    bool quoted = false;
    *cut = false;
    while (*p && (quoted || !IsBlank(*p))) {
        if (*p == '"') {
            quoted = !quoted;
            ++p;
            continue;
        }
        const char* next = CharNextA(p);
        int length = static_cast<int>(next - p);
        if (used + length < kArgumentCapacity) {
            std::memcpy(argument + used, p, static_cast<size_t>(length));
            used += length;
        } else {
            *cut = true;
        }
        p = next;
    }
    argument[used] = '\0';
    return p;
}

// value (after the switch's "=") into field; false, with the field empty,
// when it is empty or does not fit.
bool TakeValue(const char* value, bool cut, char* field) {
    if (!cut && value[0] != '\0' && CopyText(field, kPathCapacity, value)) return true;
    field[0] = '\0';
    return false;
}

}  // namespace

int ParseCommandLine(const char* arguments, CommandLine* result) {
    std::memset(result, 0, sizeof *result);
    char argument[kArgumentCapacity];
    bool cut = false;
    bool seen[5] = {};  // /S, /LOG, /D, /UNINSTALL, /CLEANUP
    for (const char* p = arguments ? arguments : ""; (p = NextArgument(p, argument, &cut)) != nullptr;) {
        int which = -1;
        bool known = false;
        const char* why = "not a switch of this installer";
        if (BeginsWithSwitch(argument, "/S") && argument[2] == '\0') {
            which = 0;
            known = true;
            result->silent = 1;
        } else if (BeginsWithSwitch(argument, "/LOG=")) {
            which = 1;
            known = !seen[1] && TakeValue(argument + 5, cut, result->logPath);
            why = "an empty or overlong file name";
        } else if (BeginsWithSwitch(argument, "/D=")) {
            which = 2;
            known = !seen[2] && TakeValue(argument + 3, cut, result->destination);
            why = "an empty or overlong directory";
        } else if (BeginsWithSwitch(argument, "/UNINSTALL") && argument[10] == '\0') {
            which = 3;
            known = true;
            result->remove = 1;
        } else if (BeginsWithSwitch(argument, "/CLEANUP=")) {
            which = 4;
            known = !seen[4] && TakeValue(argument + 9, cut, result->cleanup);
            why = "an empty or overlong folder";
        }
        if (which >= 0 && seen[which]) {
            known = false;
            why = "given twice";
        }
        if (which >= 0) seen[which] = true;
        if (!known && !result->why) {
            CopyWholeCharacters(result->firstUnknown, kPathCapacity, argument);
            result->why = why;
        }
    }
    // A removal has no destination.
    if (!result->why && result->remove && result->destination[0]) {
        CopyText(result->firstUnknown, kPathCapacity, "/D");
        result->why = "not for a removal";
    }
    return result->why == nullptr;
}

}  // namespace tarsik

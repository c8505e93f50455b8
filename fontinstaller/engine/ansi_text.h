// Paths and texts as the installer holds them: ANSI text in the system's
// code page. In code pages 950, 936, 932 and 949 the second byte of a
// double-byte character can be 0x5C, the backslash (Big5 功, 許, 蓋), or
// another ASCII value, so these walk a text a character at a time
// (CharNextA), never a byte at a time.
#pragma once

namespace tarsik {

// The last backslash of path that is a character of its own, or nullptr.
const char* LastBackslash(const char* path);

// Whether the last character of path is a backslash.
bool EndsWithBackslash(const char* path);

// What follows the last backslash of path (all of path when it has none).
const char* FileNamePart(const char* path);

// Whether path begins with a drive letter and its colon ("C:"). An ASCII
// letter is always a character of its own, so the colon is one too.
bool HasDriveLetter(const char* path);

// Whether a relative name, joined to a directory, stays inside it: no
// drive, no colon at all, no leading backslash or slash, and no component
// that climbs ("..", or any other made of dots and spaces alone, which
// Windows reads as ".." or "."; a single "." is harmless). Components are
// separated by backslashes or slashes.
bool StaysInside(const char* name);

// Whether text holds one of the single-byte characters of set.
bool HasAnyOf(const char* text, const char* set);

// Cuts a text that ends in the first byte of a double-byte character (left
// there by a cut at a buffer's end) before that byte. Returns the length.
int CutAtWholeCharacter(char* text);

// Copies at most capacity-1 bytes of text, cut at a whole character.
// Returns 1 when the whole text fitted.
int CopyWholeCharacters(char* target, int capacity, const char* text);

// result := directory, one backslash unless its last character is one, name;
// an empty directory gives the name alone. Cut to the result's capacity.
// Returns 1 when the whole path fitted, 0 when it was cut.
int JoinPath(char* result, int capacity, const char* directory, const char* name);

// Bounded copy: at most capacity-1 bytes, always terminated. Returns 1 when
// the whole text fitted, 0 when it was cut.
int CopyText(char* target, int capacity, const char* text);

}  // namespace tarsik

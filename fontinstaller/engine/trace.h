// The installer's only diagnostic log: printf-style lines on standard output,
// or wherever the program sends them instead.
#pragma once

#if defined(__GNUC__)
#define VEXA_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define VEXA_PRINTF_LIKE(f, a)
#endif

namespace tarsik {

// Writes the formatted text as it stands (the format carries its own "\n")
// and flushes, so lines survive whatever comes next.
void Trace(const char* format, ...) VEXA_PRINTF_LIKE(1, 2);

// Receives each formatted trace text (ANSI, cut at a whole character to
// 1023 bytes) instead of standard output. nullptr: standard output again.
using TraceSink = void (*)(const char* text);
void SetTraceSink(TraceSink sink);

}  // namespace tarsik

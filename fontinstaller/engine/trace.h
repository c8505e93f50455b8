// The installer's only diagnostic log: printf-style lines on standard output.
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

// Where the lines go instead of standard output (a disc checker reports the
// loader's line among its own findings); nullptr gives standard output back.
// The sink gets each formatted line, its "\n" included.
using TraceSink = void (*)(const char* line);
void SetTraceSink(TraceSink sink);

}  // namespace tarsik

#include "trace.h"

#include <cstdarg>
#include <cstdio>

#include "ansi_text.h"

namespace tarsik {

namespace {
TraceSink g_sink = nullptr;
}

void Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (g_sink) {
        char text[1024];
        int n = std::vsnprintf(text, sizeof text, format, args);
        if (n < 0)
            text[0] = '\0';
        else if (n >= static_cast<int>(sizeof text))
            CutAtWholeCharacter(text);
        g_sink(text);
    } else {
        std::vfprintf(stdout, format, args);
        std::fflush(stdout);
    }
    va_end(args);
}

void SetTraceSink(TraceSink sink) { g_sink = sink; }

}  // namespace tarsik

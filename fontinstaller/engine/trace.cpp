#include "trace.h"

#include <cstdarg>
#include <cstdio>

namespace tarsik {

namespace {
TraceSink g_sink = nullptr;
}  // namespace

void SetTraceSink(TraceSink sink) { g_sink = sink; }

void Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (g_sink) {
        // A line longer than this is cut: a trace line names a path or two.
        char line[1024];
        std::vsnprintf(line, sizeof line, format, args);
        g_sink(line);
    } else {
        std::vfprintf(stdout, format, args);
        std::fflush(stdout);
    }
    va_end(args);
}

}  // namespace tarsik

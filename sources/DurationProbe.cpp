#include "sources/DurationProbe.h"

namespace {
constexpr int64_t MillisecondsPerSecond = 1000;
}

int64_t ProbeDuration(const std::string& path, ProbeGraph& graph) {
    try {
        const int64_t milliseconds = graph.RenderDurationMs(path);
        return milliseconds > 0 ? milliseconds / MillisecondsPerSecond : 0;
    } catch (...) {
        // Any error while rendering means the file cannot be measured, which the caller reports.
        return 0;
    }
}

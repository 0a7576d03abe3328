#include "transcoder/StallWatch.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int kDefaultStallSeconds = 30;
constexpr const char* kStallVariable = "RIVAMO_TRENC_STALL_SECONDS";

std::chrono::seconds LimitFromEnvironment() {
    const char* text = std::getenv(kStallVariable);
    if (text && *text) {
        char* end = nullptr;
        const long seconds = std::strtol(text, &end, 10);
        if (*end == '\0' && seconds >= 0)
            return std::chrono::seconds(seconds);
    }
    return std::chrono::seconds(kDefaultStallSeconds);
}

} // namespace

StallWatch::StallWatch() : m_limit(LimitFromEnvironment()) {}

void StallWatch::NoteInputPosition(int64_t position) {
    if (position != m_lastPosition) {
        m_lastPosition = position;
        Touch();
    }
}

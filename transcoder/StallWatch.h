#pragma once

#include <chrono>
#include <cstdint>

// Tells a stalled conversion from a slow one: it has stalled when nothing was read from the input and
// no picture or sample was made for the whole limit. A healthy file of any length never stalls.
class StallWatch {
public:
    using Clock = std::chrono::steady_clock;

    // The limit is kDefaultStallSeconds unless the environment variable RIVAMO_TRENC_STALL_SECONDS
    // holds a whole number of seconds (tests set a short one).
    StallWatch();

    // Something was read or made: the conversion is alive.
    void Touch() { m_lastSign = Clock::now(); }
    // The input's read position; a position not seen before counts as reading.
    void NoteInputPosition(int64_t position);
    bool Stalled() const { return Clock::now() - m_lastSign > m_limit; }
    std::chrono::seconds Limit() const { return m_limit; }

private:
    std::chrono::seconds m_limit;
    Clock::time_point m_lastSign = Clock::now();
    int64_t m_lastPosition = -1;
};

#pragma once

#include "support/SystemServices.h"

// The real clock: a monotonic time and a real sleep.
class SteadyClock final : public Clock {
public:
    int64_t NowMs() override;
    void SleepMs(int64_t milliseconds) override;
};

#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Measures the durations of added files, on the caller's thread or on workers.
class DurationMeasurer {
public:
    using Done = std::function<void(int64_t seconds)>;
    virtual ~DurationMeasurer() = default;
    // Measures the file's whole seconds (0 when it cannot be measured) and hands them to done on the
    // user-interface thread: before returning, or later when a worker has measured the file.
    virtual void Measure(const std::string& path, Done done) = 0;
};

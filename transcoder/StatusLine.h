#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the progress line reports; seconds stays empty until the first packet is written.
struct StatusInfo {
    bool hasVideo = false;
    int64_t frames = 0;
    double quality = 0.0;
    int64_t bytes = 0;
    std::optional<double> seconds;
};

// Written while no output time is known: readers take "10000000000" as "not yet determined".
inline constexpr double kUnknownStatusSeconds = 10000000000.0;

// One status line, ended by "\r", or by "\n" when it is the final one:
// "frame=%5d q=%4.1f size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s" (video) or the last three fields
// (audio only).
std::string FormatStatusLine(const StatusInfo& info, bool final);

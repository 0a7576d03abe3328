#include "transcoder/StatusLine.h"

#include <cstdio>

std::string FormatStatusLine(const StatusInfo& info, bool final) {
    const double kilobytes = static_cast<double>(info.bytes) / 1024.0;
    const double seconds = info.seconds.value_or(kUnknownStatusSeconds);
    const double kilobits = info.seconds && *info.seconds > 0.0
                                ? static_cast<double>(info.bytes) * 8.0 / *info.seconds / 1000.0
                                : 0.0;
    const char* end = final ? "\n" : "\r";
    char line[256];
    if (info.hasVideo)
        std::snprintf(line, sizeof line, "frame=%5lld q=%4.1f size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s%s",
                      static_cast<long long>(info.frames), info.quality, kilobytes, seconds, kilobits, end);
    else
        std::snprintf(line, sizeof line, "size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s%s", kilobytes, seconds,
                      kilobits, end);
    return line;
}

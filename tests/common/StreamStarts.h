#pragma once

#include <string>
#include <vector>

// What a file's streams are and where the first video and audio stream start, as a player reads
// them (edit lists applied): the codec names in stream order, the starts in seconds.
struct StreamStarts {
    std::vector<std::string> codecs;
    double videoStart = 0.0;
    double audioStart = 0.0;
    double audioFrameSeconds = 0.0; // one audio frame's length, 0 when unknown
};

// Raises std::runtime_error when the file does not open.
StreamStarts ReadStreamStarts(const std::string& path);

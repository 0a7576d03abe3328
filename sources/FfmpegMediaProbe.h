#pragma once

#include "sources/MediaProbe.h"

#include <chrono>
#include <memory>

// The duration probe on libavformat. A file counts as rendered when it opens as a regular file,
// its stream information can be read and a decoder exists for every audio and video stream.
// Only the named file is read: no network protocol, no playlist entries, no referenced files.
class FfmpegMediaProbe final : public MediaProbe {
public:
    static constexpr std::chrono::seconds DefaultTimeLimit{10};

    // timeLimit bounds the work on one file; past it the probe gives up with 0.
    explicit FfmpegMediaProbe(std::chrono::milliseconds timeLimit = DefaultTimeLimit);

    std::unique_ptr<ProbeGraph> NewGraph() override;

private:
    std::chrono::milliseconds m_timeLimit;
};

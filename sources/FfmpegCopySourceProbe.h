#pragma once

#include "sources/CopySource.h"

// Reads what a cut without re-encoding needs with libavformat, never decoding a picture beyond what
// finding the streams' parameters takes. The key frames come from the packets' flags: for MP4 and
// MOV, whose index names every picture, only the key frames are read; every other container is read
// through. Only the named local file is read.
class FfmpegCopySourceProbe final : public CopySourceProbe {
public:
    CopySourceFacts Probe(const std::string& path) override;
};

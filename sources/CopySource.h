#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "settings/MainChoices.h"

// What a cut without re-encoding needs to know of one source, read once from its container (the
// packets' key-frame flags, never a decoded picture).
struct CopySourceFacts {
    std::string container;            // the demuxer's format name ("mov,mp4,m4a,3gp,3g2,mj2"); empty: unknown
    std::vector<int64_t> keyFramesMs; // the video's key frames, ascending, in ms from the source's start
    bool exactCutPossible = false;    // the transcoder can re-encode the pictures before the first key frame
    std::string exactCutRefusal;      // why not, in words ("interlaced video"); empty when possible
    bool audioOnly = false;           // no video: the cut starts at the audio packet at the chosen time
    int64_t durationMs = 0;
    int64_t bytes = 0; // the source file's size
};

// Reads the facts of a source; a file it cannot read gives facts with an empty container.
class CopySourceProbe {
public:
    virtual ~CopySourceProbe() = default;
    virtual CopySourceFacts Probe(const std::string& path) = 0;
};

// Where a cut without re-encoding really starts: at the chosen time for an exact cut the source
// allows, for a source without video or one that could not be read (nothing is known to say
// otherwise), else at the last key frame at or before it (the source's start when there is none).
inline int64_t CopyCutStartMs(const CopySourceFacts& facts, int64_t startMs, CutMode mode) {
    if (facts.container.empty() || facts.audioOnly || (mode == CutMode::Exact && facts.exactCutPossible))
        return startMs;
    const auto after = std::upper_bound(facts.keyFramesMs.begin(), facts.keyFramesMs.end(), startMs);
    return after == facts.keyFramesMs.begin() ? 0 : *std::prev(after);
}

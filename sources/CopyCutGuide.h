#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/MainChoices.h"
#include "sources/CopySourceCache.h"

// What the source list's views show of a cut without re-encoding: the start the output will really
// have, the key frames on the trim bar, where the start handle snaps to and the steps between key
// frames. All of it only while the output type copies the streams; the facts are asked for from the
// cache when first needed and shown once read.
class CopyCutGuide {
public:
    // A start cell that shows where the output really starts, and why.
    struct ShownStart {
        std::string text;
        std::string toolTip;
    };

    // copying: whether the chosen output type copies the streams.
    CopyCutGuide(CopySourceCache& cache, const MainChoices& choices, std::function<bool()> copying);

    bool Copying() const { return m_copying(); }
    // Asks for the file's facts while the output type copies.
    void Prefetch(const std::string& path) const;

    // The start cell of a row whose output starts elsewhere than at its typed start (HH:MM:SS);
    // none when it starts there, when the output type re-encodes or while the facts are read.
    std::optional<ShownStart> RealStart(const std::string& path, const std::string& startText) const;
    // Where the output of a cut starting at startMs really starts, while the output type copies the
    // streams and the facts are known; startMs otherwise.
    int64_t RealStartMs(const std::string& path, int64_t startMs) const;
    // The key frames of the file, in ms, while the output type copies; empty otherwise.
    const std::vector<int64_t>& KeyFramesMs(const std::string& path) const;
    // The whole-second start that makes the cut begin at the last key frame at or before positionMs,
    // for a file cut at key frames (the chosen cut mode, or an exact cut the file does not allow);
    // positionMs in whole seconds for any other.
    int64_t SnappedStartSeconds(const std::string& path, int64_t positionMs) const;
    // The key frame before (or after) positionMs; none past the first (last) one.
    std::optional<int64_t> NeighbourKeyFrameMs(const std::string& path, int64_t positionMs,
                                               bool forward) const;

private:
    const CopySourceFacts* Facts(const std::string& path) const;

    CopySourceCache& m_cache;
    const MainChoices& m_choices;
    std::function<bool()> m_copying;
};

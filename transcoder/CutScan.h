#pragma once

#include <cstdint>
#include <optional>

#include "support/LibavOwners.h"
#include "transcoder/NalUnits.h"

class InputFile;

// Where a copied video stream can be cut, found by reading its packets (never decoding them).
// Timestamps are the stream's presentation times in its own time base.
struct CutPoints {
    int64_t key = 0;                 // the last key frame at or before the start
    std::optional<int64_t> junction; // the first picture after the start where copying may resume
    int64_t junctionDelay = 0;       // its presentation time minus its decoding time (the reorder delay)
};

// What the scan looks for: the start and the end of the cut, and whether a junction is wanted (an
// exact cut of an H.264 or H.265 stream, whose NAL units tell a random-access picture).
struct CutScanRequest {
    const AVStream& video;
    int64_t start = 0;
    int64_t end = INT64_MAX;
    std::optional<VideoCodec> junctionCodec;
};

// Reads the video packets around the start. The junction is a key frame after the start at which a
// decoder can begin afresh: an H.264 IDR picture, an H.265 random-access picture; it lies before the
// end, or there is none. Leaves the input anywhere: seek before reading on.
CutPoints ScanCut(InputFile& input, const CutScanRequest& request);

// The NAL units of a packet of a stream whose configuration record gives lengthSize (no value: start
// codes).
std::vector<Bytes> PacketUnits(const AVPacket& packet, std::optional<int> lengthSize);
// The stream's configuration record's NAL length size (no value: start codes).
std::optional<int> StreamLengthSize(const AVStream& stream, VideoCodec codec);

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "support/LibavOwners.h"
#include "transcoder/EncoderSetup.h"
#include "transcoder/ExactCut.h"
#include "transcoder/Options.h"

class InputFile;

// A time and the time base it counts in.
struct Instant {
    int64_t value = 0;
    AVRational timeBase = MicrosecondTimeBase;
    int64_t In(AVRational other) const { return av_rescale_q(value, timeBase, other); }
};

// What a stream copy does: which input streams go to the output, where the output's time zero lies,
// where the cut ends, and the head that an exact cut re-encodes.
struct CopyPlan {
    std::vector<AVStream*> streams;
    Instant zero;
    // The main video's first packet: its key frame at or before the start (video time base).
    int64_t videoFrom = INT64_MIN;
    bool trimStart = false;     // packets before time zero are left out
    std::optional<Instant> end; // packets from here on are left out
    std::unique_ptr<HeadEncoder> head;
    // An exact cut's end: re-encodes the last pictures when they refer to pictures after the end.
    std::unique_ptr<HeadEncoder> tail;
};

// The container holds the stream's codec as it is (a cover picture or a data stream never).
bool ContainerHolds(const AVOutputFormat& format, const AVStream& stream);

// Chooses the streams (those the container cannot hold are left out with a warning) and the cut:
// from the key frame at or before the start, or exactly from the start where the video allows it
// (else with the warning that names the key frame used). Throws TranscodeError when nothing is left.
CopyPlan PlanCopy(InputFile& input, const TranscodeOptions& options, const AVOutputFormat& format,
                  Warnings& warnings);

// "HH:MM:SS.mmm" of a time in microseconds.
std::string ClockText(int64_t microseconds);

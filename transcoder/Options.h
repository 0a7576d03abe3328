#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "transcoder/Rational.h"

// A command line that cannot be run: unknown option, missing or malformed value.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How a stream copy cuts at START: from the key frame at or before it, or exactly at it (the pictures
// up to the next key frame re-encoded).
enum class CutMode { Keyframe, Exact };

struct FrameSize {
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
};

// Everything the command line asks for, with units made explicit. Unset means "as the input or the
// encoder has it". The options the converter writes for each output type, and what they mean, are in
// transcoder/README.md (FFmpeg's spellings: the same line runs in the ffmpeg command).
struct TranscodeOptions {
    bool overwrite = false;
    std::string input;
    std::string output;
    std::string format;
    std::optional<std::string> videoCodec;
    std::optional<std::string> audioCodec;
    bool noVideo = false;
    bool noAudio = false;
    std::optional<int64_t> videoBitrate; // bit/s
    std::optional<int64_t> audioBitrate; // bit/s
    std::optional<FrameSize> frameSize;
    std::optional<Rational> frameRate;
    std::optional<Rational> displayAspect;
    std::optional<int> volume; // 256 leaves the level unchanged
    std::optional<int> channels;
    std::optional<int> sampleRate;
    std::optional<int64_t> startMicroseconds;
    std::optional<int64_t> durationMicroseconds;
    std::optional<std::string> target;

    // Modern outputs (see transcoder/README.md for the contract the converter writes to).
    std::optional<int> constantQuality;     // -crf, on the encoder's own scale
    std::optional<int64_t> maxRate;         // -maxrate, bit/s: the bitrate ceiling
    std::optional<int64_t> bufferSize;      // -bufsize, bit/s: the window the ceiling holds over
    std::optional<std::string> preset;      // -preset: the encoder's speed/quality preset
    std::optional<std::string> pixelFormat; // -pix_fmt
    std::optional<std::string> videoFilter; // -vf: a filter graph applied to the upright picture
    std::string movFlags;                   // -movflags for the MP4/M4A muxer ("+faststart")
    std::optional<std::string> videoTag;    // -tag:v: the four-letter code stored for the video
    std::optional<int> cpuUsed;             // -cpu-used: libvpx's speed (0 slowest .. 8 fastest)

    // Stream copy (see "Copy and cut" in transcoder/README.md).
    bool mapAll = false;                      // -map 0: every video, audio and subtitle stream
    std::optional<std::string> subtitleCodec; // -c:s, -scodec ("copy")
    CutMode cutMode = CutMode::Keyframe;      // -cut keyframe|exact
};

// Reads the arguments after the program name. Throws OptionError with a one-line message.
TranscodeOptions ParseOptions(const std::vector<std::string>& arguments);

// Value readers, exposed for the presets and the tests. Each throws OptionError naming the option.
int64_t ParseBitrate(const std::string& option, const std::string& value);
FrameSize ParseFrameSize(const std::string& option, const std::string& value);
Rational ParseFrameRate(const std::string& option, const std::string& value);
Rational ParseAspect(const std::string& option, const std::string& value);
int64_t ParseTimeMicroseconds(const std::string& option, const std::string& value);

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

struct FrameSize {
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
};

// Everything the command line asks for, with units made explicit. Unset means "as the input or the
// encoder has it".
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
};

// Reads the arguments after the program name. Throws OptionError with a one-line message.
TranscodeOptions ParseOptions(const std::vector<std::string>& arguments);

// Value readers, exposed for the presets and the tests. Each throws OptionError naming the option.
int64_t ParseBitrate(const std::string& option, const std::string& value);
FrameSize ParseFrameSize(const std::string& option, const std::string& value);
Rational ParseFrameRate(const std::string& option, const std::string& value);
Rational ParseAspect(const std::string& option, const std::string& value);
int64_t ParseTimeMicroseconds(const std::string& option, const std::string& value);

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/LibavOwners.h"
#include "transcoder/Options.h"
#include "transcoder/Rational.h"
#include "transcoder/TargetPreset.h"
#include "transcoder/VideoShape.h"

// What the encoders are set up from: the options (with the preset applied), the container and the
// input's frame rates.
struct EncoderRequest {
    const TranscodeOptions& options;
    const std::optional<TargetPreset>& target;
    std::optional<Rational> scriptRate;
    std::optional<Rational> inputRate;
    const AVOutputFormat& format;
};

// Announcements for the header: a value the encoder cannot take and the one used instead.
using Warnings = std::vector<std::string>;

// "copy": the stream's packets go to the output as they are.
bool IsCopy(const std::optional<std::string>& asked);
// The encoder a stream gets: the one asked for, else the container's default; nullptr for none.
// Throws TranscodeError for a name that is no encoder of the type.
const AVCodec* ChooseEncoder(const std::optional<std::string>& asked, AVCodecID defaultId, AVMediaType type,
                             const AVOutputFormat& format);

// Opened encoders for a source stream's parameters. Throw TranscodeError when they do not open.
// The video encoder's picture is the upright one (see VideoShape.h); the source gives the pixel format.
AVCodecContextPtr OpenVideoEncoder(const AVCodec& codec, const AVCodecParameters& source,
                                   const UprightPicture& upright, const EncoderRequest& request,
                                   Warnings& warnings);
AVCodecContextPtr OpenAudioEncoder(const AVCodec& codec, const AVCodecParameters& source,
                                   const EncoderRequest& request, Warnings& warnings);

// The filters between the decoded frames and an opened encoder.
std::string VideoFilterDescription(const AVCodecContext& encoder, const UprightPicture& upright,
                                   const EncoderRequest& request);
std::string AudioFilterDescription(const AVCodecContext& encoder, const EncoderRequest& request);
// The audio description's timing filter, followed by the sample (in the input's rate) it starts at.
inline constexpr const char* kAudioTimingFilter = "aresample=async=1:first_pts=";

// Shared by both: the trim filter of the cut ("" for none, else "NAME=...,"), the encoder's common
// settings and its opening.
std::string TrimFilter(const char* name, const TranscodeOptions& options);
AVCodecContextPtr NewEncoder(const AVCodec& codec, const AVOutputFormat& format);
void OpenEncoder(AVCodecContext& encoder, const AVCodec& codec, const char* kind);
// The warning for an encoder that opened with another bitrate than the one asked for.
std::string BitrateChangedWarning(const char* kind, int64_t asked, const AVCodec& codec, int64_t used);

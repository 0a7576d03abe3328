#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transcoder/Options.h"
#include "transcoder/Rational.h"

// The settings FFmpeg's -target presets stand for (vcd, svcd, dvd, dv, dv50 for PAL, NTSC or film).
struct TargetPreset {
    std::string format;
    std::string videoCodec;
    std::string audioCodec;
    FrameSize size;
    Rational rate;
    std::string pixelFormat;
    int64_t videoBitrate = 0;
    int64_t maxRate = 0;
    int64_t minRate = 0;
    int64_t bufferSize = 0;
    int gopSize = 0;
    int64_t audioBitrate = 0;
    int sampleRate = 0;
    int channels = 2;
    int packetSize = 0;
    int64_t muxRate = 0;
    bool scanOffset = false;
};

// Throws OptionError unless the text is a known target with an optional pal-, ntsc- or film- prefix.
void CheckTarget(const std::string& target);

// The preset for a target. Without a prefix the norm follows the input's frame rate (25 is PAL,
// 29.97 and 23.976 are NTSC); an unknown rate is an OptionError, as FFmpeg has it.
TargetPreset ResolveTarget(const std::string& target, std::optional<Rational> inputRate);

// Fills every option the command line left unset from the preset.
void ApplyTarget(const TargetPreset& preset, TranscodeOptions& options);

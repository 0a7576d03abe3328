#include "transcoder/TargetPreset.h"

#include <cmath>

namespace {

enum class Norm { Pal, Ntsc, Film };

struct SplitTarget {
    std::optional<Norm> norm;
    std::string type;
};

SplitTarget Split(const std::string& target) {
    const std::pair<const char*, Norm> prefixes[] = {
        {"pal-", Norm::Pal}, {"ntsc-", Norm::Ntsc}, {"film-", Norm::Film}};
    for (const auto& [prefix, norm] : prefixes)
        if (target.rfind(prefix, 0) == 0)
            return {norm, target.substr(std::string(prefix).size())};
    return {std::nullopt, target};
}

bool KnownType(const std::string& type) {
    return type == "vcd" || type == "svcd" || type == "dvd" || type == "dv" || type == "dv50";
}

Norm GuessNorm(const std::string& target, std::optional<Rational> inputRate) {
    if (inputRate && inputRate->num > 0) {
        const double fps = inputRate->ToDouble();
        if (std::fabs(fps - 25.0) < 0.01)
            return Norm::Pal;
        if (std::fabs(fps - 30000.0 / 1001.0) < 0.01 || std::fabs(fps - 24000.0 / 1001.0) < 0.01)
            return Norm::Ntsc;
    }
    throw OptionError("Could not determine the norm (PAL/NTSC/film) for target '" + target +
                      "'; prefix it with pal-, ntsc- or film-");
}

// The figures of each target type, as the disc and tape standards fix them.
TargetPreset VcdPreset(bool pal, Rational rate, int gop) {
    return {.format = "vcd",
            .videoCodec = "mpeg1video",
            .audioCodec = "mp2",
            .size = {352, pal ? 288 : 240},
            .rate = rate,
            .pixelFormat = "yuv420p",
            .videoBitrate = 1150000,
            .maxRate = 1150000,
            .minRate = 1150000,
            .bufferSize = 40 * 1024 * 8,
            .gopSize = gop,
            .audioBitrate = 224000,
            .sampleRate = 44100,
            .channels = 2,
            .packetSize = 2324,
            .muxRate = 1411200,
            .scanOffset = false};
}

TargetPreset SvcdPreset(bool pal, Rational rate, int gop) {
    return {.format = "svcd",
            .videoCodec = "mpeg2video",
            .audioCodec = "mp2",
            .size = {480, pal ? 576 : 480},
            .rate = rate,
            .pixelFormat = "yuv420p",
            .videoBitrate = 2040000,
            .maxRate = 2516000,
            .minRate = 0,
            .bufferSize = 224 * 1024 * 8,
            .gopSize = gop,
            .audioBitrate = 224000,
            .sampleRate = 44100,
            .channels = 2,
            .packetSize = 2324,
            .muxRate = 0,
            .scanOffset = true};
}

TargetPreset DvdPreset(bool pal, Rational rate, int gop) {
    return {.format = "dvd",
            .videoCodec = "mpeg2video",
            .audioCodec = "ac3",
            .size = {720, pal ? 576 : 480},
            .rate = rate,
            .pixelFormat = "yuv420p",
            .videoBitrate = 6000000,
            .maxRate = 9000000,
            .minRate = 0,
            .bufferSize = 224 * 1024 * 8,
            .gopSize = gop,
            .audioBitrate = 448000,
            .sampleRate = 48000,
            .channels = 2,
            .packetSize = 2048,
            .muxRate = 10080000,
            .scanOffset = false};
}

// DV50 samples colour 4:2:2; DV25 samples it 4:2:0 in PAL and 4:1:1 in NTSC.
const char* DvPixelFormat(bool pal, bool dv50) {
    if (dv50)
        return "yuv422p";
    return pal ? "yuv420p" : "yuv411p";
}

// DV fixes its bitrates itself: none is set.
TargetPreset DvPreset(bool pal, Rational rate, bool dv50) {
    return {.format = "dv",
            .videoCodec = "dvvideo",
            .audioCodec = "pcm_s16le",
            .size = {720, pal ? 576 : 480},
            .rate = rate,
            .pixelFormat = DvPixelFormat(pal, dv50),
            .sampleRate = 48000,
            .channels = 2};
}

} // namespace

void CheckTarget(const std::string& target) {
    if (!KnownType(Split(target).type))
        throw OptionError("Unknown target '" + target +
                          "' (vcd, svcd, dvd, dv, dv50 with pal-, ntsc- or film-)");
}

TargetPreset ResolveTarget(const std::string& target, std::optional<Rational> inputRate) {
    CheckTarget(target);
    const auto split = Split(target);
    const Norm norm = split.norm ? *split.norm : GuessNorm(target, inputRate);
    const bool pal = norm == Norm::Pal;
    const Rational rate = pal                  ? Rational{25, 1}
                          : norm == Norm::Ntsc ? Rational{30000, 1001}
                                               : Rational{24000, 1001};
    const int gop = pal ? 15 : 18;

    if (split.type == "vcd")
        return VcdPreset(pal, rate, gop);
    if (split.type == "svcd")
        return SvcdPreset(pal, rate, gop);
    if (split.type == "dvd")
        return DvdPreset(pal, rate, gop);
    return DvPreset(pal, rate, split.type == "dv50");
}

void ApplyTarget(const TargetPreset& preset, TranscodeOptions& options) {
    if (options.format.empty())
        options.format = preset.format;
    if (!options.videoCodec)
        options.videoCodec = preset.videoCodec;
    if (!options.audioCodec)
        options.audioCodec = preset.audioCodec;
    if (!options.frameSize)
        options.frameSize = preset.size;
    if (!options.frameRate)
        options.frameRate = preset.rate;
    if (!options.videoBitrate && preset.videoBitrate > 0)
        options.videoBitrate = preset.videoBitrate;
    if (!options.audioBitrate && preset.audioBitrate > 0)
        options.audioBitrate = preset.audioBitrate;
    if (!options.sampleRate)
        options.sampleRate = preset.sampleRate;
    if (!options.channels)
        options.channels = preset.channels;
}

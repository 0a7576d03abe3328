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

    TargetPreset preset;
    preset.rate = rate;
    if (split.type == "vcd") {
        preset = {"vcd",   "mpeg1video",
                  "mp2",   {352, pal ? 288 : 240},
                  rate,    "yuv420p",
                  1150000, 1150000,
                  1150000, 40 * 1024 * 8,
                  gop,     224000,
                  44100,   2,
                  2324,    1411200,
                  false};
    } else if (split.type == "svcd") {
        preset = {"svcd",  "mpeg2video",
                  "mp2",   {480, pal ? 576 : 480},
                  rate,    "yuv420p",
                  2040000, 2516000,
                  0,       224 * 1024 * 8,
                  gop,     224000,
                  44100,   2,
                  2324,    0,
                  true};
    } else if (split.type == "dvd") {
        preset = {"dvd",   "mpeg2video",
                  "ac3",   {720, pal ? 576 : 480},
                  rate,    "yuv420p",
                  6000000, 9000000,
                  0,       224 * 1024 * 8,
                  gop,     448000,
                  48000,   2,
                  2048,    10080000,
                  false};
    } else {
        const bool dv50 = split.type == "dv50";
        preset.format = "dv";
        preset.videoCodec = "dvvideo";
        preset.audioCodec = "pcm_s16le";
        preset.size = {720, pal ? 576 : 480};
        preset.pixelFormat = dv50 ? "yuv422p" : pal ? "yuv420p" : "yuv411p";
        preset.sampleRate = 48000;
        preset.channels = 2;
    }
    return preset;
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

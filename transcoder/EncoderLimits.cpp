#include "transcoder/EncoderLimits.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::vector<int64_t> Kilobits(std::initializer_list<int64_t> values) {
    std::vector<int64_t> bits;
    for (auto value : values)
        bits.push_back(value * 1000);
    return bits;
}

bool IsMp3(const std::string& encoder) {
    return encoder == "libmp3lame" || encoder == "libshine";
}
bool IsMp2(const std::string& encoder) {
    return encoder == "mp2" || encoder == "mp2fixed" || encoder == "libtwolame";
}

int RoundToMultiple(int value, int multiple, int maximum) {
    const int rounded = std::max(multiple, (value + multiple / 2) / multiple * multiple);
    return std::min(rounded, maximum / multiple * multiple);
}

} // namespace

int64_t NearestValue(const std::vector<int64_t>& accepted, int64_t asked) {
    if (accepted.empty())
        return asked;
    int64_t best = accepted.front();
    for (auto value : accepted)
        if (std::llabs(value - asked) < std::llabs(best - asked) ||
            (std::llabs(value - asked) == std::llabs(best - asked) && value < best))
            best = value;
    return best;
}

std::vector<int64_t> AcceptedAudioBitrates(const std::string& encoder, int sampleRate) {
    // MPEG audio: full rates (32 kHz and up), half rates (16-24 kHz) and MPEG 2.5 quarter rates.
    if (IsMp3(encoder)) {
        if (sampleRate >= 32000)
            return Kilobits({32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320});
        if (sampleRate >= 16000)
            return Kilobits({8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160});
        return Kilobits({8, 16, 24, 32, 40, 48, 56, 64});
    }
    if (IsMp2(encoder)) {
        if (sampleRate >= 32000)
            return Kilobits({32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384});
        return Kilobits({8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160});
    }
    if (encoder == "ac3" || encoder == "ac3_fixed")
        return Kilobits(
            {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 576, 640});
    return {};
}

FrameSize AcceptedFrameSize(const std::string& encoder, FrameSize asked) {
    if (encoder == "h263") {
        // Plain H.263 codes the five picture formats of its standard only.
        const FrameSize formats[] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
        return *std::min_element(std::begin(formats), std::end(formats), [&](FrameSize a, FrameSize b) {
            return std::abs(a.width - asked.width) + std::abs(a.height - asked.height) <
                   std::abs(b.width - asked.width) + std::abs(b.height - asked.height);
        });
    }
    if (encoder == "dvvideo") {
        const FrameSize formats[] = {{720, 480},  {720, 576},   {960, 720},
                                     {1280, 720}, {1440, 1080}, {1920, 1080}};
        return *std::min_element(std::begin(formats), std::end(formats), [&](FrameSize a, FrameSize b) {
            return std::abs(a.width - asked.width) + std::abs(a.height - asked.height) <
                   std::abs(b.width - asked.width) + std::abs(b.height - asked.height);
        });
    }
    if (encoder == "rv10")
        return {RoundToMultiple(asked.width, 16, 4080), RoundToMultiple(asked.height, 16, 4080)};
    if (encoder == "rv20" || encoder == "h263p")
        return {RoundToMultiple(asked.width, 4, 2048), RoundToMultiple(asked.height, 4, 1152)};
    if (encoder == "mpeg1video" || encoder == "mpeg2video" || encoder == "flv")
        return {RoundToMultiple(asked.width, 2, 4094), RoundToMultiple(asked.height, 2, 4094)};
    // 4:2:0 chroma needs even dimensions.
    return {RoundToMultiple(asked.width, 2, 16384), RoundToMultiple(asked.height, 2, 16384)};
}

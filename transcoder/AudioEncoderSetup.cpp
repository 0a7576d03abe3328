#include <algorithm>
#include <sstream>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include "transcoder/EncoderLimits.h"
#include "transcoder/EncoderSetup.h"

namespace {

constexpr int kUnchangedVolume = 256;

int ChooseSampleRate(const AVCodec& codec, int asked, Warnings& warnings) {
    if (!codec.supported_samplerates)
        return asked;
    std::vector<int64_t> accepted;
    for (const int* rate = codec.supported_samplerates; *rate != 0; ++rate)
        accepted.push_back(*rate);
    std::sort(accepted.begin(), accepted.end());
    const auto used = static_cast<int>(NearestValue(accepted, asked));
    if (used != asked)
        warnings.push_back("sample rate " + std::to_string(asked) + " Hz is not accepted by " + codec.name +
                           "; using " + std::to_string(used) + " Hz");
    return used;
}

void ChooseChannelLayout(const AVCodec& codec, int asked, AVChannelLayout& layout, Warnings& warnings) {
    int used = asked;
    if (codec.ch_layouts) {
        std::vector<int64_t> counts;
        for (const AVChannelLayout* each = codec.ch_layouts; each->nb_channels != 0; ++each)
            counts.push_back(each->nb_channels);
        std::sort(counts.begin(), counts.end());
        used = static_cast<int>(NearestValue(counts, asked));
        const AVChannelLayout* each = codec.ch_layouts;
        while (each->nb_channels != used)
            ++each;
        av_channel_layout_copy(&layout, each);
    } else {
        av_channel_layout_default(&layout, used);
    }
    if (used != asked)
        warnings.push_back(std::to_string(asked) + " audio channels are not accepted by " +
                           std::string(codec.name) + "; using " + std::to_string(used));
}

AVSampleFormat ChooseSampleFormat(const AVCodec& codec, AVSampleFormat source) {
    if (!codec.sample_fmts)
        return source == AV_SAMPLE_FMT_NONE ? AV_SAMPLE_FMT_S16 : source;
    for (const AVSampleFormat* format = codec.sample_fmts; *format != AV_SAMPLE_FMT_NONE; ++format)
        if (*format == source)
            return source;
    return codec.sample_fmts[0];
}

int64_t ChooseAudioBitrate(const AVCodec& codec, int sampleRate, int64_t asked, Warnings& warnings) {
    const int64_t used = NearestValue(AcceptedAudioBitrates(codec.name, sampleRate), asked);
    if (used != asked)
        warnings.push_back("audio bitrate " + std::to_string(asked / 1000) + " kbit/s is not accepted by " +
                           codec.name + " at " + std::to_string(sampleRate) + " Hz; using " +
                           std::to_string(used / 1000) + " kbit/s");
    return used;
}

} // namespace

AVCodecContextPtr OpenAudioEncoder(const AVCodec& codec, const AVCodecParameters& source,
                                   const EncoderRequest& request, Warnings& warnings) {
    const TranscodeOptions& options = request.options;
    AVCodecContextPtr encoder = NewEncoder(codec, request.format);
    encoder->sample_rate = ChooseSampleRate(codec, options.sampleRate.value_or(source.sample_rate), warnings);
    ChooseChannelLayout(codec, options.channels.value_or(source.ch_layout.nb_channels), encoder->ch_layout,
                        warnings);
    encoder->sample_fmt = ChooseSampleFormat(codec, static_cast<AVSampleFormat>(source.format));
    encoder->time_base = AVRational{1, encoder->sample_rate};
    if (options.audioBitrate)
        encoder->bit_rate = ChooseAudioBitrate(codec, encoder->sample_rate, *options.audioBitrate, warnings);
    const int64_t askedBitrate = encoder->bit_rate;
    OpenEncoder(*encoder, codec, "audio");
    if (options.audioBitrate && encoder->bit_rate != askedBitrate && encoder->bit_rate > 0)
        warnings.push_back(BitrateChangedWarning("audio", askedBitrate, codec, encoder->bit_rate));
    return encoder;
}

std::string AudioFilterDescription(const AVCodecContext& encoder, const EncoderRequest& request) {
    std::ostringstream text;
    text << TrimFilter("atrim", request.options);
    // The encoder counts samples: a gap in the input's timestamps is filled with silence and an overlap
    // is dropped here, so the sound stays with the pictures (StreamFilter sets the first timestamp).
    text << kAudioTimingFilter << "0,";
    if (request.options.volume && *request.options.volume != kUnchangedVolume)
        text << "volume=" << *request.options.volume << "/" << kUnchangedVolume << ",";
    char layout[128] = {};
    av_channel_layout_describe(&encoder.ch_layout, layout, sizeof layout);
    text << "aformat=sample_fmts=" << av_get_sample_fmt_name(encoder.sample_fmt)
         << ":sample_rates=" << encoder.sample_rate << ":channel_layouts=" << layout;
    return text.str();
}

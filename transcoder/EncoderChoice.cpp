#include "transcoder/EncoderSetup.h"

#include "transcoder/TranscodeError.h"

namespace {

const AVCodec* FindEncoder(const std::string& name, AVMediaType type) {
    // Names as FFmpeg resolves them: an encoder's own name, else the best encoder of a codec name.
    // "xvid" is the MPEG-4 encoder of that name when it is present.
    std::string wanted = name;
    if (wanted == "xvid")
        wanted = avcodec_find_encoder_by_name("libxvid") ? "libxvid" : "mpeg4";
    const AVCodec* codec = avcodec_find_encoder_by_name(wanted.c_str());
    if (!codec)
        if (const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(wanted.c_str()))
            codec = avcodec_find_encoder(descriptor->id);
    if (!codec || codec->type != type)
        throw TranscodeError("Unknown encoder '" + name + "'");
    return codec;
}

} // namespace

bool IsCopy(const std::optional<std::string>& asked) {
    return asked && *asked == "copy";
}

const AVCodec* ChooseEncoder(const std::optional<std::string>& asked, AVCodecID defaultId, AVMediaType type,
                             const AVOutputFormat& format) {
    if (IsCopy(asked))
        return nullptr;
    if (asked)
        return FindEncoder(*asked, type);
    // An audio container's picture default (PNG cover art) is no video stream.
    if (defaultId == AV_CODEC_ID_NONE || (type == AVMEDIA_TYPE_VIDEO && defaultId == AV_CODEC_ID_PNG))
        return nullptr;
    const AVCodec* codec = avcodec_find_encoder(defaultId);
    if (!codec)
        throw TranscodeError(std::string("No encoder for the default codec ") + avcodec_get_name(defaultId) +
                             " of format " + format.name);
    return codec;
}

// Timestamps reach the graph relative to the start, so the trim keeps [0, duration).
std::string TrimFilter(const char* name, const TranscodeOptions& options) {
    std::string settings;
    if (options.startMicroseconds)
        settings = "start=0";
    if (options.durationMicroseconds)
        settings += (settings.empty() ? "" : ":") + std::string("duration=") +
                    std::to_string(*options.durationMicroseconds) + "us";
    return settings.empty() ? "" : std::string(name) + "=" + settings + ",";
}

AVCodecContextPtr NewEncoder(const AVCodec& codec, const AVOutputFormat& format) {
    AVCodecContextPtr encoder(avcodec_alloc_context3(&codec));
    if (!encoder)
        throw TranscodeError("Out of memory");
    encoder->thread_count = 0;
    if (format.flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    return encoder;
}

void OpenEncoder(AVCodecContext& encoder, const AVCodec& codec, const char* kind) {
    const int opened = avcodec_open2(&encoder, &codec, nullptr);
    if (opened < 0)
        throw TranscodeError(std::string("Cannot open the ") + kind + " encoder " + codec.name + ": " +
                             AvErrorText(opened));
}

std::string BitrateChangedWarning(const char* kind, int64_t asked, const AVCodec& codec, int64_t used) {
    return std::string(kind) + " bitrate " + std::to_string(asked / 1000) + " kbit/s is not accepted by " +
           codec.name + "; using " + std::to_string(used / 1000) + " kbit/s";
}

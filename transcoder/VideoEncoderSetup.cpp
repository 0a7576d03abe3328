#include <cstdio>
#include <sstream>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "transcoder/EncoderLimits.h"
#include "transcoder/EncoderSetup.h"
#include "transcoder/TranscodeError.h"

namespace {

constexpr int kDefaultFrameRate = 25;
constexpr int kMaxTimeBaseDenominator = 65535;
constexpr int kMaxAspectTerm = 255;

std::string RateText(AVRational rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", av_q2d(rate));
    return text;
}

AVRational ToAVRational(Rational value) {
    return {static_cast<int>(value.num), static_cast<int>(value.den)};
}

bool Lists(const AVCodec& codec, AVPixelFormat format) {
    for (const AVPixelFormat* each = codec.pix_fmts; each && *each != AV_PIX_FMT_NONE; ++each)
        if (*each == format)
            return true;
    return !codec.pix_fmts;
}

AVPixelFormat ChoosePixelFormat(const AVCodec& codec, AVPixelFormat source, const EncoderRequest& request) {
    if (request.target && !request.target->pixelFormat.empty())
        return av_get_pix_fmt(request.target->pixelFormat.c_str());
    if (const auto& asked = request.options.pixelFormat) {
        const AVPixelFormat format = av_get_pix_fmt(asked->c_str());
        if (format == AV_PIX_FMT_NONE || !Lists(codec, format))
            throw TranscodeError("Pixel format '" + *asked + "' is not accepted by " + codec.name);
        return format;
    }
    if (!codec.pix_fmts)
        return source == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : source;
    for (const AVPixelFormat* format = codec.pix_fmts; *format != AV_PIX_FMT_NONE; ++format)
        if (*format == source)
            return source;
    if (source == AV_PIX_FMT_NONE)
        return codec.pix_fmts[0];
    return avcodec_find_best_pix_fmt_of_list(codec.pix_fmts, source, 0, nullptr);
}

AVRational ChooseFrameRate(const AVCodec& codec, const EncoderRequest& request, Warnings& warnings) {
    AVRational rate{kDefaultFrameRate, 1};
    if (request.options.frameRate)
        rate = ToAVRational(*request.options.frameRate);
    else if (request.scriptRate)
        rate = ToAVRational(*request.scriptRate);
    else if (request.inputRate)
        rate = ToAVRational(*request.inputRate);
    AVRational used = rate;
    if (codec.supported_framerates)
        used = codec.supported_framerates[av_find_nearest_q_idx(rate, codec.supported_framerates)];
    if (used.den > kMaxTimeBaseDenominator)
        av_reduce(&used.num, &used.den, used.num, used.den, kMaxTimeBaseDenominator);
    if (av_cmp_q(used, rate) != 0 && request.options.frameRate)
        warnings.push_back("frame rate " + RateText(rate) + " is not accepted by " + codec.name + "; using " +
                           RateText(used));
    return used;
}

AVRational ChooseSampleAspect(FrameSize size, const UprightPicture& source, const EncoderRequest& request,
                              Warnings& warnings) {
    AVRational sar{1, 1};
    const auto& aspect = request.options.displayAspect;
    if (aspect) {
        av_reduce(&sar.num, &sar.den, aspect->num * size.height, aspect->den * size.width, kMaxAspectTerm);
    } else if (source.sampleAspect.num > 0 && source.sampleAspect.den > 0) {
        // Keep the picture's shape: the source's display aspect on the new frame size.
        av_reduce(&sar.num, &sar.den,
                  static_cast<int64_t>(source.sampleAspect.num) * source.width * size.height,
                  static_cast<int64_t>(source.sampleAspect.den) * source.height * size.width, kMaxAspectTerm);
    }
    // RealMedia has no field for the aspect: players show square pixels.
    if (std::string(request.format.name) == "rm" && av_cmp_q(sar, AVRational{1, 1}) != 0 && aspect) {
        AVRational shown{};
        av_reduce(&shown.num, &shown.den, size.width, size.height, 1000);
        warnings.push_back("display aspect " + std::to_string(aspect->num) + ":" +
                           std::to_string(aspect->den) +
                           " cannot be stored in RealMedia; the picture shows at " +
                           std::to_string(shown.num) + ":" + std::to_string(shown.den));
        return AVRational{1, 1};
    }
    return sar;
}

FrameSize ChooseFrameSize(const AVCodec& codec, const UprightPicture& source, const EncoderRequest& request,
                          Warnings& warnings) {
    const FrameSize asked = request.options.frameSize.value_or(FrameSize{source.width, source.height});
    const FrameSize size = AcceptedFrameSize(codec.name, asked);
    if (!(size == asked))
        warnings.push_back("frame size " + std::to_string(asked.width) + "x" + std::to_string(asked.height) +
                           " is not accepted by " + codec.name + "; using " + std::to_string(size.width) +
                           "x" + std::to_string(size.height));
    return size;
}

void ApplyTargetRateControl(AVCodecContext& encoder, const TargetPreset& target) {
    encoder.gop_size = target.gopSize;
    encoder.rc_max_rate = target.maxRate;
    encoder.rc_min_rate = target.minRate;
    encoder.rc_buffer_size = static_cast<int>(target.bufferSize);
    if (target.scanOffset)
        av_opt_set_int(encoder.priv_data, "scan_offset", 1, 0);
}

// Sets one of the encoder's own options; one it does not have is announced and left out.
void SetPrivate(AVCodecContext& encoder, const char* name, const std::string& value, const char* option,
                Warnings& warnings) {
    const int set = av_opt_set(encoder.priv_data, name, value.c_str(), 0);
    if (set == AVERROR_OPTION_NOT_FOUND)
        warnings.push_back(std::string(option) + " is not used by " + encoder.codec->name);
    else if (set < 0)
        throw TranscodeError(std::string("Invalid value '") + value + "' for option '" + option + "' of " +
                             encoder.codec->name);
}

// Constant quality, the ceiling and the speed preset, in the terms of each encoder's own options.
void ApplyQualityControl(AVCodecContext& encoder, const TranscodeOptions& options, Warnings& warnings) {
    if (options.constantQuality)
        SetPrivate(encoder, "crf", std::to_string(*options.constantQuality), "-crf", warnings);
    if (options.maxRate) {
        encoder.rc_max_rate = *options.maxRate;
        // A ceiling needs a window to hold over: two seconds' worth unless -bufsize gives one.
        encoder.rc_buffer_size = static_cast<int>(options.bufferSize.value_or(2 * *options.maxRate));
    } else if (options.bufferSize) {
        encoder.rc_buffer_size = static_cast<int>(*options.bufferSize);
    }
    if (options.preset)
        SetPrivate(encoder, "preset", *options.preset, "-preset", warnings);
    if (options.cpuUsed)
        SetPrivate(encoder, "cpu-used", std::to_string(*options.cpuUsed), "-cpu-used", warnings);
    // These libraries print their own reports to standard error, between the status lines.
    if (std::string(encoder.codec->name) == "libx265")
        av_opt_set(encoder.priv_data, "x265-params", "log-level=error", 0);
}

} // namespace

AVCodecContextPtr OpenVideoEncoder(const AVCodec& codec, const AVCodecParameters& source,
                                   const UprightPicture& upright, const EncoderRequest& request,
                                   Warnings& warnings) {
    AVCodecContextPtr encoder = NewEncoder(codec, request.format);
    const FrameSize size = ChooseFrameSize(codec, upright, request, warnings);
    encoder->width = size.width;
    encoder->height = size.height;
    encoder->pix_fmt = ChoosePixelFormat(codec, static_cast<AVPixelFormat>(source.format), request);
    encoder->framerate = ChooseFrameRate(codec, request, warnings);
    encoder->time_base = av_inv_q(encoder->framerate);
    encoder->sample_aspect_ratio = ChooseSampleAspect(size, upright, request, warnings);
    const auto& bitrate = request.options.videoBitrate;
    if (bitrate)
        encoder->bit_rate = *bitrate;
    if (request.target && request.target->gopSize > 0)
        ApplyTargetRateControl(*encoder, *request.target);
    ApplyQualityControl(*encoder, request.options, warnings);
    OpenEncoder(*encoder, codec, "video");
    if (bitrate && encoder->bit_rate != *bitrate)
        warnings.push_back(BitrateChangedWarning("video", *bitrate, codec, encoder->bit_rate));
    return encoder;
}

std::string VideoFilterDescription(const AVCodecContext& encoder, const UprightPicture& upright,
                                   const EncoderRequest& request) {
    std::ostringstream text;
    text << TrimFilter("trim", request.options);
    // The script's constant rate comes first; the output rate then applies to that stream.
    if (request.scriptRate)
        text << "fps=" << request.scriptRate->num << "/" << request.scriptRate->den << ",";
    // Dropping frames before scaling spares the scaler the work on frames that are not kept.
    text << "fps=" << encoder.framerate.num << "/" << encoder.framerate.den << ",";
    // The picture turned upright and the -vf graph, then the output size, as the ffmpeg command does.
    text << upright.filters;
    text << "scale=" << encoder.width << ":" << encoder.height << ":flags=bicubic,";
    text << "format=" << av_get_pix_fmt_name(encoder.pix_fmt);
    return text.str();
}

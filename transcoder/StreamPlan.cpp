#include "transcoder/StreamPlan.h"

#include "transcoder/InputFile.h"

namespace {

// The copy or the decoder of a stream with the chosen encoder; no value when the stream is left out.
std::optional<StreamPlan> Begin(AVStream* stream, const AVCodec* codec, bool copy, Warnings& warnings) {
    if (!stream || (!codec && !copy))
        return std::nullopt;
    StreamPlan plan;
    plan.input = stream;
    plan.copy = copy;
    if (copy)
        return plan;
    plan.decoder = StreamDecoder::Open(stream);
    const AVCodecParameters& source = *stream->codecpar;
    const bool usable = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                            ? source.width > 0 && source.height > 0
                            : source.sample_rate > 0 && source.ch_layout.nb_channels > 0;
    if (!plan.decoder || !usable) {
        warnings.push_back(std::string("the input's ") + av_get_media_type_string(source.codec_type) +
                           " stream cannot be decoded and is left out");
        return std::nullopt;
    }
    return plan;
}

} // namespace

std::optional<StreamPlan> PlanVideo(const InputFile& input, const EncoderRequest& request,
                                    Warnings& warnings) {
    const TranscodeOptions& options = request.options;
    if (options.noVideo)
        return std::nullopt;
    const AVCodec* codec =
        ChooseEncoder(options.videoCodec, request.format.video_codec, AVMEDIA_TYPE_VIDEO, request.format);
    std::optional<StreamPlan> plan = Begin(input.VideoStream(), codec, IsCopy(options.videoCodec), warnings);
    if (plan && !plan->copy) {
        const UprightPicture upright = ShapeUpright(*plan->input, options.videoFilter);
        plan->encoder = OpenVideoEncoder(*codec, *plan->input->codecpar, upright, request, warnings);
        plan->filters = VideoFilterDescription(*plan->encoder, upright, request);
    }
    return plan;
}

std::optional<StreamPlan> PlanAudio(const InputFile& input, const EncoderRequest& request,
                                    Warnings& warnings) {
    const TranscodeOptions& options = request.options;
    if (options.noAudio)
        return std::nullopt;
    const AVCodec* codec =
        ChooseEncoder(options.audioCodec, request.format.audio_codec, AVMEDIA_TYPE_AUDIO, request.format);
    std::optional<StreamPlan> plan = Begin(input.AudioStream(), codec, IsCopy(options.audioCodec), warnings);
    if (plan && !plan->copy) {
        plan->encoder = OpenAudioEncoder(*codec, *plan->input->codecpar, request, warnings);
        plan->filters = AudioFilterDescription(*plan->encoder, request);
    }
    return plan;
}

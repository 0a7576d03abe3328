#include "transcoder/CopyPlan.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "transcoder/CutScan.h"
#include "transcoder/InputFile.h"
#include "transcoder/TranscodeError.h"

namespace {

constexpr int64_t kUnindexedSeekMarginSeconds = 3;
// The H.264 parameter set numbers of the re-encoded pictures (the copied stream's are 0).
constexpr int kHeadSetId = 1;
constexpr int kTailSetId = 2;

// MPEG-TS names no codec list of its own: what its muxer writes.
constexpr std::array kTransportStreamCodecs{
    AV_CODEC_ID_H264,  AV_CODEC_ID_HEVC,     AV_CODEC_ID_MPEG1VIDEO,   AV_CODEC_ID_MPEG2VIDEO,
    AV_CODEC_ID_MPEG4, AV_CODEC_ID_VC1,      AV_CODEC_ID_AV1,          AV_CODEC_ID_DIRAC,
    AV_CODEC_ID_AAC,   AV_CODEC_ID_AAC_LATM, AV_CODEC_ID_MP2,          AV_CODEC_ID_MP3,
    AV_CODEC_ID_AC3,   AV_CODEC_ID_EAC3,     AV_CODEC_ID_DTS,          AV_CODEC_ID_TRUEHD,
    AV_CODEC_ID_OPUS,  AV_CODEC_ID_S302M,    AV_CODEC_ID_DVB_SUBTITLE, AV_CODEC_ID_DVB_TELETEXT};

std::string StreamName(const AVStream& stream) {
    const AVCodecParameters& parameters = *stream.codecpar;
    const char* kind = av_get_media_type_string(parameters.codec_type);
    return "stream #0:" + std::to_string(stream.index) + " (" + avcodec_get_name(parameters.codec_id) + " " +
           (kind ? kind : "data") + ")";
}

std::vector<AVStream*> ChooseStreams(const AVFormatContext& input, const AVOutputFormat& format,
                                     Warnings& warnings) {
    std::vector<AVStream*> streams;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        AVStream* stream = input.streams[i];
        if (ContainerHolds(format, *stream))
            streams.push_back(stream);
        else
            warnings.push_back(StreamName(*stream) + " cannot be held by " + format.name +
                               " and is left out");
    }
    bool sound = false;
    for (const AVStream* stream : streams)
        sound = sound || stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE;
    if (!sound)
        throw TranscodeError(std::string("No video or audio stream of the input can be copied into ") +
                             format.name);
    return streams;
}

struct CutTimes {
    int64_t start = 0;          // microseconds, input time
    std::optional<int64_t> end; // microseconds, input time
};

// The exact cut's head, where one is needed and possible; sets the zero and warns otherwise.
void PlanVideoCut(InputFile& input, const TranscodeOptions& options, const CutTimes& times, CopyPlan& plan,
                  Warnings& warnings) {
    const AVStream& video = *input.VideoStream();
    const AVRational base = video.time_base;
    const int64_t start = av_rescale_q(times.start, MicrosecondTimeBase, base);
    const int64_t end = times.end ? av_rescale_q(*times.end, MicrosecondTimeBase, base) : INT64_MAX;
    const bool exact = options.cutMode == CutMode::Exact;
    const std::optional<std::string> obstacle = exact ? ExactCutObstacle(video) : std::nullopt;
    const std::optional<VideoCodec> codec = SpliceCodecOf(*video.codecpar);
    const CutPoints points = ScanCut(input, {video, start, end, exact && !obstacle ? codec : std::nullopt});
    plan.videoFrom = points.key;
    if (exact && !obstacle && times.end)
        plan.tail = std::make_unique<HeadEncoder>(video, *codec, kTailSetId);
    if (!exact || points.key == start || obstacle) {
        plan.zero = {points.key, base};
        const int64_t inputStart =
            input.Context().start_time == AV_NOPTS_VALUE ? 0 : input.Context().start_time;
        if (exact && points.key != start)
            warnings.push_back("exact cut not possible (" + *obstacle +
                               "); the cut starts at the key frame at " +
                               ClockText(av_rescale_q(points.key, base, MicrosecondTimeBase) - inputStart));
        return;
    }
    plan.zero = {start, base};
    plan.head = std::make_unique<HeadEncoder>(video, *codec, kHeadSetId);
    plan.head->SetSpan(start, points.junction.value_or(end), points.junction ? points.junctionDelay : 0);
}

} // namespace

std::string ClockText(int64_t microseconds) {
    const int64_t milli = std::max<int64_t>(microseconds, 0) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(milli / 3600000),
                  static_cast<long long>(milli / 60000 % 60), static_cast<long long>(milli / 1000 % 60),
                  static_cast<long long>(milli % 1000));
    return text;
}

bool ContainerHolds(const AVOutputFormat& format, const AVStream& stream) {
    const AVCodecParameters& parameters = *stream.codecpar;
    const AVMediaType type = parameters.codec_type;
    if (type == AVMEDIA_TYPE_ATTACHMENT)
        return std::strcmp(format.name, "matroska") == 0;
    if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_SUBTITLE) ||
        (stream.disposition & AV_DISPOSITION_ATTACHED_PIC))
        return false;
    const int holds = avformat_query_codec(&format, parameters.codec_id, FF_COMPLIANCE_NORMAL);
    if (holds >= 0)
        return holds == 1;
    if (std::strcmp(format.name, "mpegts") != 0)
        return false;
    for (const AVCodecID id : kTransportStreamCodecs)
        if (id == parameters.codec_id)
            return true;
    return false;
}

CopyPlan PlanCopy(InputFile& input, const TranscodeOptions& options, const AVOutputFormat& format,
                  Warnings& warnings) {
    CopyPlan plan;
    plan.streams = ChooseStreams(input.Context(), format, warnings);
    const int64_t inputStart = input.Context().start_time == AV_NOPTS_VALUE ? 0 : input.Context().start_time;
    CutTimes times{inputStart + options.startMicroseconds.value_or(0), std::nullopt};
    if (options.durationMicroseconds)
        times.end = times.start + *options.durationMicroseconds;
    if (times.end)
        plan.end = Instant{*times.end, MicrosecondTimeBase};
    plan.zero = {times.start, MicrosecondTimeBase};
    plan.trimStart = options.startMicroseconds.has_value();
    AVStream* video = input.VideoStream();
    bool videoCopied = false;
    for (const AVStream* stream : plan.streams)
        videoCopied = videoCopied || stream == video;
    if (!plan.trimStart)
        return plan;
    if (videoCopied)
        PlanVideoCut(input, options, times, plan, warnings);
    const AVStream& leading = videoCopied ? *video : *plan.streams.front();
    int64_t seekTo = videoCopied ? plan.videoFrom : plan.zero.In(leading.time_base);
    // Without an index the seek lands near the time, maybe after the key frame: start earlier.
    if (input.Context().iformat->flags & AVFMT_TS_DISCONT)
        seekTo -= av_rescale_q(kUnindexedSeekMarginSeconds, AVRational{1, 1}, leading.time_base);
    input.SeekBefore(leading, seekTo);
    return plan;
}

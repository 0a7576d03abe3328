#include "transcoder/ExactCut.h"

#include <cctype>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "transcoder/CutScan.h"
#include "transcoder/TranscodeError.h"

namespace {

// The head is short (under one interval between key frames): a fast preset at a high quality.
constexpr const char* kH264Preset = "veryfast";
constexpr const char* kH265Preset = "ultrafast";
constexpr const char* kHeadQuality = "16";
// The copied stream's own sets keep number 0; the head's take this one.
constexpr const char* kH264Settings = ":scenecut=0:open-gop=0";
constexpr const char* kH265Settings = "log-level=error:scenecut=0:open-gop=0:repeat-headers=1";
// One key frame, at the head's first picture.
constexpr int kHeadKeyInterval = 100000;
// H.265 stores level × 30, the encoder takes level × 10.
constexpr int kH265LevelScale = 3;

const char* EncoderName(VideoCodec codec) {
    return codec == VideoCodec::H264 ? "libx264" : "libx265";
}

std::string ProfileName(AVCodecID id, int profile) {
    const char* name = avcodec_profile_name(id, profile);
    return name ? name : "unknown";
}

std::optional<std::string> ProfileObstacle(VideoCodec codec, const AVCodecParameters& parameters) {
    const int profile = parameters.profile;
    if (codec == VideoCodec::H264 && profile != FF_PROFILE_H264_CONSTRAINED_BASELINE &&
        profile != FF_PROFILE_H264_MAIN && profile != FF_PROFILE_H264_HIGH)
        return "H.264 " + ProfileName(parameters.codec_id, profile) + " profile";
    if (codec == VideoCodec::H265 && profile != FF_PROFILE_HEVC_MAIN)
        return "H.265 " + ProfileName(parameters.codec_id, profile) + " profile";
    return std::nullopt;
}

// The x264 profile that makes the same kind of sequence parameter set.
const char* H264ProfileOption(int profile) {
    if (profile == FF_PROFILE_H264_CONSTRAINED_BASELINE)
        return "baseline";
    return profile == FF_PROFILE_H264_MAIN ? "main" : "high";
}

void SetOption(AVCodecContext& encoder, const char* name, const std::string& value) {
    if (av_opt_set(encoder.priv_data, name, value.c_str(), 0) < 0)
        throw TranscodeError(std::string("Cannot set ") + name + " of " + encoder.codec->name);
}

AVCodecContextPtr OpenDecoder(const AVStream& video) {
    const AVCodec* codec = avcodec_find_decoder(video.codecpar->codec_id);
    AVCodecContextPtr decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), video.codecpar) < 0)
        throw TranscodeError("Cannot decode the video for the exact cut");
    decoder->pkt_timebase = video.time_base;
    decoder->thread_count = 0;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        throw TranscodeError("Cannot decode the video for the exact cut");
    return decoder;
}

void MatchPicture(AVCodecContext& encoder, const AVStream& video) {
    const AVCodecParameters& source = *video.codecpar;
    encoder.width = source.width;
    encoder.height = source.height;
    encoder.pix_fmt = static_cast<AVPixelFormat>(source.format);
    encoder.time_base = video.time_base;
    encoder.framerate = video.avg_frame_rate.num > 0 ? video.avg_frame_rate : video.r_frame_rate;
    encoder.sample_aspect_ratio = source.sample_aspect_ratio;
    encoder.color_range = source.color_range;
    encoder.color_primaries = source.color_primaries;
    encoder.color_trc = source.color_trc;
    encoder.colorspace = source.color_space;
    encoder.chroma_sample_location = source.chroma_location;
    encoder.max_b_frames = 0;
    encoder.gop_size = kHeadKeyInterval;
    encoder.thread_count = 0;
}

AVCodecContextPtr OpenEncoder(const AVStream& video, VideoCodec codec, int parameterSetId) {
    const AVCodec* encoderCodec = avcodec_find_encoder_by_name(EncoderName(codec));
    AVCodecContextPtr encoder(encoderCodec ? avcodec_alloc_context3(encoderCodec) : nullptr);
    if (!encoder)
        throw TranscodeError(std::string("No ") + EncoderName(codec) + " encoder");
    MatchPicture(*encoder, video);
    const AVCodecParameters& source = *video.codecpar;
    SetOption(*encoder, "crf", kHeadQuality);
    if (codec == VideoCodec::H264) {
        // The sets come apart from the pictures, to be added to the stream's record.
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        encoder->level = source.level;
        SetOption(*encoder, "preset", kH264Preset);
        SetOption(*encoder, "profile", H264ProfileOption(source.profile));
        SetOption(*encoder, "x264-params", "sps-id=" + std::to_string(parameterSetId) + kH264Settings);
    } else {
        SetOption(*encoder, "preset", kH265Preset);
        SetOption(*encoder, "profile", "main");
        std::string settings = kH265Settings;
        if (source.level > 0)
            settings += ":level-idc=" + std::to_string(source.level / kH265LevelScale);
        SetOption(*encoder, "x265-params", settings);
    }
    const int opened = avcodec_open2(encoder.get(), encoderCodec, nullptr);
    if (opened < 0)
        throw TranscodeError(std::string("Cannot open ") + EncoderName(codec) +
                             " for the exact cut: " + AvErrorText(opened));
    return encoder;
}

Bytes Extradata(const AVCodecParameters& parameters) {
    if (!parameters.extradata)
        return {};
    return Bytes(parameters.extradata, parameters.extradata + parameters.extradata_size);
}

std::vector<Bytes> ParameterSetsOf(VideoCodec codec, const std::vector<Bytes>& units) {
    std::vector<Bytes> sets;
    for (const Bytes& unit : units)
        if (IsParameterSet(codec, NalType(codec, unit)))
            sets.push_back(unit);
    return sets;
}

void ReplaceData(AVPacket& packet, const Bytes& data) {
    AVPacketPtr fresh(av_packet_alloc());
    if (!fresh || av_new_packet(fresh.get(), static_cast<int>(data.size())) < 0 ||
        av_packet_copy_props(fresh.get(), &packet) < 0)
        throw TranscodeError("Out of memory");
    std::memcpy(fresh->data, data.data(), data.size());
    fresh->stream_index = packet.stream_index;
    fresh->flags = packet.flags;
    fresh->pts = packet.pts;
    fresh->dts = packet.dts;
    fresh->duration = packet.duration;
    av_packet_unref(&packet);
    av_packet_move_ref(&packet, fresh.get());
}

} // namespace

std::optional<VideoCodec> SpliceCodecOf(const AVCodecParameters& parameters) {
    if (parameters.codec_id == AV_CODEC_ID_H264)
        return VideoCodec::H264;
    if (parameters.codec_id == AV_CODEC_ID_HEVC)
        return VideoCodec::H265;
    return std::nullopt;
}

std::optional<std::string> ExactCutObstacle(const AVStream& video) {
    const AVCodecParameters& parameters = *video.codecpar;
    const std::optional<VideoCodec> codec = SpliceCodecOf(parameters);
    if (!codec) {
        std::string name = avcodec_get_name(parameters.codec_id);
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return name + " video";
    }
    if (auto profile = ProfileObstacle(*codec, parameters))
        return profile;
    const auto format = static_cast<AVPixelFormat>(parameters.format);
    if (format != AV_PIX_FMT_YUV420P && format != AV_PIX_FMT_YUVJ420P) {
        const char* name = av_get_pix_fmt_name(format);
        return std::string("pixel format ") + (name ? name : "unknown");
    }
    if (parameters.field_order != AV_FIELD_PROGRESSIVE && parameters.field_order != AV_FIELD_UNKNOWN)
        return "interlaced video";
    if (!avcodec_find_encoder_by_name(EncoderName(*codec)))
        return std::string("no ") + EncoderName(*codec) + " encoder";
    return std::nullopt;
}

HeadEncoder::HeadEncoder(const AVStream& video, VideoCodec codec, int parameterSetId)
    : m_video(video), m_codec(codec), m_lengthSize(StreamLengthSize(video, codec)),
      m_decoder(OpenDecoder(video)), m_encoder(OpenEncoder(video, codec, parameterSetId)),
      m_frame(av_frame_alloc()), m_packet(av_packet_alloc()) {
    if (!m_frame || !m_packet)
        throw TranscodeError("Out of memory");
    if (codec == VideoCodec::H264) {
        const Bytes header(m_encoder->extradata, m_encoder->extradata + m_encoder->extradata_size);
        m_headSets = ParameterSetsOf(codec, SplitStartCodes(header.data(), header.size()));
    }
}

void HeadEncoder::SetSpan(int64_t from, int64_t to, int64_t reorderDelay) {
    m_from = from;
    m_to = to;
    m_reorderDelay = reorderDelay;
}

std::vector<Bytes> HeadEncoder::RecordSets() const {
    return m_lengthSize ? m_headSets : std::vector<Bytes>{};
}

Bytes JoinedExtradata(const AVStream& video, const std::vector<Bytes>& addedSets) {
    const Bytes source = Extradata(*video.codecpar);
    if (addedSets.empty())
        return source;
    try {
        return AddToAvcRecord(source, addedSets);
    } catch (const std::invalid_argument& error) {
        throw TranscodeError(std::string("Cannot join the re-encoded pictures to the copied ones: ") +
                             error.what());
    }
}

void HeadEncoder::Feed(const AVPacket& packet, const PacketHandler& handle) {
    // A picture the decoder refuses is left out of the head; the stream goes on.
    if (avcodec_send_packet(m_decoder.get(), &packet) >= 0)
        Drain(handle);
}

void HeadEncoder::Drain(const PacketHandler& handle) {
    while (avcodec_receive_frame(m_decoder.get(), m_frame.get()) >= 0) {
        const int64_t pts = m_frame->best_effort_timestamp;
        if (pts >= m_to)
            m_complete = true;
        else if (pts != AV_NOPTS_VALUE && pts >= m_from && (m_lastPts == AV_NOPTS_VALUE || pts > m_lastPts)) {
            m_lastPts = pts;
            m_frame->pts = pts;
            m_frame->pict_type = AV_PICTURE_TYPE_NONE;
            Encode(m_frame.get(), handle);
        }
        av_frame_unref(m_frame.get());
    }
}

void HeadEncoder::Finish(const PacketHandler& handle) {
    avcodec_send_packet(m_decoder.get(), nullptr);
    Drain(handle);
    m_complete = true;
    Encode(nullptr, handle);
}

void HeadEncoder::Encode(AVFrame* frame, const PacketHandler& handle) {
    const int sent = avcodec_send_frame(m_encoder.get(), frame);
    if (sent < 0 && sent != AVERROR_EOF)
        throw TranscodeError("Encoding the exact cut's head failed: " + AvErrorText(sent));
    while (avcodec_receive_packet(m_encoder.get(), m_packet.get()) >= 0) {
        Deliver(*m_packet, handle);
        av_packet_unref(m_packet.get());
    }
}

void HeadEncoder::Deliver(AVPacket& packet, const PacketHandler& handle) {
    std::vector<Bytes> units = SplitStartCodes(packet.data, static_cast<size_t>(packet.size));
    // A stream with start codes carries the head's own sets in its first picture.
    if (!m_firstWritten && !m_lengthSize)
        units.insert(units.begin(), m_headSets.begin(), m_headSets.end());
    m_firstWritten = true;
    ReplaceData(packet, m_lengthSize ? JoinLengthPrefixed(units, *m_lengthSize) : JoinStartCodes(units));
    packet.dts = packet.pts - m_reorderDelay;
    handle(packet);
}

void HeadEncoder::PrepareJunction(AVPacket& packet) const {
    if (m_codec == VideoCodec::H264 && m_lengthSize)
        return;
    // The copied stream's own sets again, where the head's may have replaced them.
    const Bytes source = Extradata(*m_video.codecpar);
    std::vector<Bytes> units = m_lengthSize
                                   ? RecordParameterSets(m_codec, source)
                                   : ParameterSetsOf(m_codec, SplitStartCodes(source.data(), source.size()));
    for (Bytes& unit : PacketUnits(packet, m_lengthSize))
        units.push_back(std::move(unit));
    if (m_codec == VideoCodec::H265)
        for (Bytes& unit : units)
            MarkCleanRandomAccessAsBrokenLink(unit);
    ReplaceData(packet, m_lengthSize ? JoinLengthPrefixed(units, *m_lengthSize) : JoinStartCodes(units));
}

#include "sources/FfmpegCopySourceProbe.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <new>
#include <optional>
#include <span>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
}

#include "support/LibavOwners.h"

namespace {

using FileIoPtr = std::unique_ptr<AVIOContext, AVDeleter<avio_closep>>;

constexpr AVRational Milliseconds{1, 1000};
constexpr std::array<int, 3> ExactH264Profiles = {FF_PROFILE_H264_CONSTRAINED_BASELINE, FF_PROFILE_H264_MAIN,
                                                  FF_PROFILE_H264_HIGH};
constexpr std::array<AVPixelFormat, 2> ExactPixelFormats = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P};

struct CodecWords {
    AVCodecID id;
    const char* words;
};
// How the reasons name a codec; any other is named by its short name in capitals.
constexpr std::array<CodecWords, 5> CodecNames = {{{AV_CODEC_ID_H264, "H.264"},
                                                   {AV_CODEC_ID_HEVC, "H.265"},
                                                   {AV_CODEC_ID_MPEG1VIDEO, "MPEG-1"},
                                                   {AV_CODEC_ID_MPEG2VIDEO, "MPEG-2"},
                                                   {AV_CODEC_ID_MPEG4, "MPEG-4"}}};

std::string CodecName(AVCodecID id) {
    for (const auto& [known, words] : CodecNames)
        if (known == id)
            return words;
    std::string name = avcodec_get_name(id);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

std::string ProfileReason(const AVCodecParameters& video) {
    const char* profile = avcodec_profile_name(video.codec_id, video.profile);
    return CodecName(video.codec_id) + " " + (profile != nullptr ? profile : "unknown") + " profile";
}

// Why the transcoder cannot re-encode the pictures before the first copied key frame so that they
// match the copied stream; empty when it can.
std::string ExactCutRefusal(const AVCodecParameters& video) {
    const char* encoder = nullptr;
    if (video.codec_id == AV_CODEC_ID_H264) {
        if (std::find(ExactH264Profiles.begin(), ExactH264Profiles.end(), video.profile) ==
            ExactH264Profiles.end())
            return ProfileReason(video);
        encoder = "libx264";
    } else if (video.codec_id == AV_CODEC_ID_HEVC) {
        if (video.profile != FF_PROFILE_HEVC_MAIN)
            return ProfileReason(video);
        encoder = "libx265";
    } else {
        return CodecName(video.codec_id) + " video";
    }
    const auto format = static_cast<AVPixelFormat>(video.format);
    if (std::find(ExactPixelFormats.begin(), ExactPixelFormats.end(), format) == ExactPixelFormats.end()) {
        const char* name = av_get_pix_fmt_name(format);
        return std::string(name != nullptr ? name : "unknown") + " pictures";
    }
    // An unknown field order is what progressive streams without the flag give.
    if (video.field_order != AV_FIELD_PROGRESSIVE && video.field_order != AV_FIELD_UNKNOWN)
        return "interlaced video";
    if (avcodec_find_encoder_by_name(encoder) == nullptr)
        return std::string("no ") + encoder + " encoder";
    return {};
}

// Further files named inside the source (playlists, reference movies) are never opened.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

// The file through the file protocol alone, so no part of its name is read as another protocol.
FileIoPtr OpenFile(const std::string& path) {
    DictionaryOwner options;
    av_dict_set(options.Address(), "protocol_whitelist", "file", 0);
    AVIOContext* io = nullptr;
    if (avio_open2(&io, ("file:" + path).c_str(), AVIO_FLAG_READ, nullptr, options.Address()) < 0)
        return nullptr;
    return FileIoPtr(io);
}

InputContextPtr OpenInput(const std::string& path, AVIOContext& io) {
    AVFormatContext* format = avformat_alloc_context();
    if (format == nullptr)
        throw std::bad_alloc();
    format->pb = &io;
    format->io_open = RefuseNestedOpen;
    // On failure avformat_open_input frees the context itself, but never a custom io.
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    return InputContextPtr(format);
}

std::span<AVStream* const> StreamsOf(const AVFormatContext& format) {
    return {format.streams, format.nb_streams};
}

// The first video stream that is a moving picture (not a cover picture).
AVStream* VideoStream(const AVFormatContext& format) {
    for (AVStream* stream : StreamsOf(format))
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0)
            return stream;
    return nullptr;
}

// The demuxer of MP4 and MOV, whose index lists every picture with its flags.
constexpr std::string_view FullIndexFormat = "mov,mp4,m4a,3gp,3g2,mj2";

// Only the video's packets are read; the others are skipped unread.
void KeepOnly(AVFormatContext& format, const AVStream& video) {
    for (AVStream* stream : StreamsOf(format))
        stream->discard = stream == &video ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

int64_t OriginMs(const AVFormatContext& format) {
    return format.start_time == AV_NOPTS_VALUE
               ? 0
               : av_rescale_q(format.start_time, MicrosecondTimeBase, Milliseconds);
}

// The packet's presentation time in ms from the source's start, when it is a key frame of the video
// that has a time. A key frame before the start (kept to decode the first pictures) starts it.
std::optional<int64_t> KeyFrameMs(const AVPacket& packet, const AVStream& video, int64_t originMs) {
    const int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (packet.stream_index != video.index || (packet.flags & AV_PKT_FLAG_KEY) == 0 || time == AV_NOPTS_VALUE)
        return std::nullopt;
    return std::max<int64_t>(0, av_rescale_q(time, video.time_base, Milliseconds) - originMs);
}

AVPacketPtr NewPacket() {
    AVPacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    return packet;
}

// Every video packet read in order.
std::vector<int64_t> KeyFramesByReading(AVFormatContext& format, const AVStream& video) {
    KeepOnly(format, video);
    const int64_t originMs = OriginMs(format);
    const AVPacketPtr packet = NewPacket();
    std::vector<int64_t> keyFrames;
    while (av_read_frame(&format, packet.get()) >= 0) {
        if (const auto ms = KeyFrameMs(*packet, video, originMs))
            keyFrames.push_back(*ms);
        av_packet_unref(packet.get());
    }
    return keyFrames;
}

// The index gives each key frame's decoding time; its presentation time, which B-frames put later,
// is read from the key frame's packet after a seek to it. The demuxer seeks by presentation time, so
// the seek goes forward from the decoding time, which is never later. Only the key frames' data is read.
std::vector<int64_t> KeyFramesFromIndex(AVFormatContext& format, AVStream& video) {
    KeepOnly(format, video);
    const int64_t originMs = OriginMs(format);
    const AVPacketPtr packet = NewPacket();
    std::vector<int64_t> keyFrames;
    const int entries = avformat_index_get_entries_count(&video);
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(&video, i);
        if (entry == nullptr || (entry->flags & AVINDEX_KEYFRAME) == 0 ||
            av_seek_frame(&format, video.index, entry->timestamp, 0) < 0)
            continue;
        while (av_read_frame(&format, packet.get()) >= 0) {
            const bool isVideo = packet->stream_index == video.index;
            if (const auto ms = KeyFrameMs(*packet, video, originMs))
                keyFrames.push_back(*ms);
            av_packet_unref(packet.get());
            if (isVideo)
                break;
        }
    }
    return keyFrames;
}

// The key frames' presentation times in ms from the source's start, ascending.
std::vector<int64_t> KeyFramesMs(AVFormatContext& format, AVStream& video) {
    // A fragmented MP4 names no pictures up front (no frame count): its index grows as it is read.
    const bool fullIndex = format.iformat->name == FullIndexFormat && video.nb_frames > 0;
    std::vector<int64_t> keyFrames =
        fullIndex ? KeyFramesFromIndex(format, video) : KeyFramesByReading(format, video);
    std::sort(keyFrames.begin(), keyFrames.end());
    keyFrames.erase(std::unique(keyFrames.begin(), keyFrames.end()), keyFrames.end());
    return keyFrames;
}

int64_t DurationMs(const AVFormatContext& format) {
    if (format.duration == AV_NOPTS_VALUE || format.duration <= 0)
        return 0;
    return av_rescale_q_rnd(format.duration, MicrosecondTimeBase, Milliseconds, AV_ROUND_DOWN);
}

} // namespace

CopySourceFacts FfmpegCopySourceProbe::Probe(const std::string& path) {
    const FileIoPtr io = OpenFile(path);
    if (!io)
        return {};
    // Declared after io: the demuxer is closed before its input goes away.
    const InputContextPtr format = OpenInput(path, *io);
    if (!format || avformat_find_stream_info(format.get(), nullptr) < 0)
        return {};
    CopySourceFacts facts;
    facts.container = format->iformat->name;
    facts.durationMs = DurationMs(*format);
    facts.bytes = std::max<int64_t>(0, avio_size(io.get()));
    AVStream* video = VideoStream(*format);
    if (video == nullptr) {
        // Without pictures the cut starts at the audio packet at the chosen time: nothing to re-encode.
        facts.audioOnly = true;
        facts.exactCutPossible = true;
        return facts;
    }
    facts.exactCutRefusal = ExactCutRefusal(*video->codecpar);
    facts.exactCutPossible = facts.exactCutRefusal.empty();
    facts.keyFramesMs = KeyFramesMs(*format, *video);
    return facts;
}

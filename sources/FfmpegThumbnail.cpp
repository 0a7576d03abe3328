#include "sources/FfmpegThumbnail.h"

#include <algorithm>
#include <chrono>

#include <sys/stat.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include "support/LibavOwners.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds TimeLimit{5};
// Frames decoded after the seek point at most, so a file whose times are wrong cannot keep a worker.
constexpr int MaxFramesAfterSeek = 300;

using ScaleContextPtr = std::unique_ptr<SwsContext, AVDeleter<sws_freeContext>>;

int InterruptAtDeadline(void* opaque) {
    return Clock::now() >= *static_cast<const Clock::time_point*>(opaque) ? 1 : 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Only the named local file is read: no network, no other protocol a playlist could name.
InputContextPtr OpenInput(const std::string& path, Clock::time_point& deadline) {
    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        return nullptr;
    format->interrupt_callback = {InterruptAtDeadline, &deadline};
    DictionaryOwner options;
    av_dict_set(options.Address(), "protocol_whitelist", "file", 0);
    if (avformat_open_input(&format, path.c_str(), nullptr, options.Address()) < 0)
        return nullptr;
    InputContextPtr input(format);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return nullptr;
    return input;
}

AVCodecContextPtr OpenDecoder(const AVStream& stream) {
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec)
        return nullptr;
    AVCodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream.codecpar) < 0)
        return nullptr;
    decoder->thread_count = 1;
    decoder->pkt_timebase = stream.time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

// Decodes from the seek point until a frame reaches the target time; the last frame decoded.
AVFramePtr DecodeFrameAt(AVFormatContext& format, int streamIndex, AVCodecContext& decoder, int64_t target) {
    AVFramePtr frame(av_frame_alloc());
    AVFramePtr last;
    AVPacketPtr packet(av_packet_alloc());
    if (!frame || !packet)
        return nullptr;
    int frames = 0;
    bool flushing = false;
    while (frames < MaxFramesAfterSeek) {
        if (!flushing) {
            const int read = av_read_frame(&format, packet.get());
            if (read < 0) {
                flushing = true;
                avcodec_send_packet(&decoder, nullptr);
            } else if (packet->stream_index == streamIndex) {
                avcodec_send_packet(&decoder, packet.get());
            }
            av_packet_unref(packet.get());
        }
        const int got = avcodec_receive_frame(&decoder, frame.get());
        if (got == AVERROR_EOF || (got < 0 && got != AVERROR(EAGAIN)))
            break;
        if (got == AVERROR(EAGAIN)) {
            if (flushing)
                break;
            continue;
        }
        ++frames;
        last.reset(av_frame_clone(frame.get()));
        av_frame_unref(frame.get());
        if (last && last->best_effort_timestamp != AV_NOPTS_VALUE && last->best_effort_timestamp >= target)
            break;
    }
    return last;
}

ThumbnailPicture Scaled(const AVFrame& frame, int maxWidth, int maxHeight) {
    const double scale =
        std::min(static_cast<double>(maxWidth) / frame.width, static_cast<double>(maxHeight) / frame.height);
    ThumbnailPicture picture;
    picture.width = std::max(1, static_cast<int>(frame.width * scale));
    picture.height = std::max(1, static_cast<int>(frame.height * scale));
    ScaleContextPtr scaler(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                          picture.width, picture.height, AV_PIX_FMT_RGB24, SWS_AREA, nullptr,
                                          nullptr, nullptr));
    if (!scaler)
        return {};
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    uint8_t* planes[1] = {picture.rgb.data()};
    const int strides[1] = {picture.width * 3};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0)
        return {};
    return picture;
}

} // namespace

ThumbnailPicture GrabThumbnail(const std::string& path, int64_t seconds, int maxWidth, int maxHeight) {
    if (!IsRegularFile(path))
        return {};
    Clock::time_point deadline = Clock::now() + TimeLimit;
    const InputContextPtr format = OpenInput(path, deadline);
    if (!format)
        return {};
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0)
        return {};
    const AVStream& stream = *format->streams[index];
    const AVCodecContextPtr decoder = OpenDecoder(stream);
    if (!decoder)
        return {};
    const int64_t target = av_rescale_q(seconds, AVRational{1, 1}, stream.time_base);
    const int64_t first = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    if (seconds > 0)
        av_seek_frame(format.get(), index, first + target, AVSEEK_FLAG_BACKWARD);
    const AVFramePtr frame = DecodeFrameAt(*format, index, *decoder, first + target);
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return {};
    return Scaled(*frame, maxWidth, maxHeight);
}

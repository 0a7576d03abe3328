#include "transcoder/StreamDecoder.h"

#include <algorithm>

#include "transcoder/TranscodeError.h"

namespace {

// Timestamps that jump further than this are a damaged input, not a pause: continue evenly.
constexpr int64_t kMaxTimestampJumpSeconds = 10;
// A stream that yields nothing but errors is not worth reading to its end.
constexpr int kMaxConsecutiveDecodeErrors = 1000;
// Spaces pictures without a duration when the output's rate is not known.
constexpr AVRational kFallbackPictureRate{25, 1};

} // namespace

TimestampCleaner::TimestampCleaner(AVRational timeBase)
    : m_maxJump(av_rescale_q(kMaxTimestampJumpSeconds, AVRational{1, 1}, timeBase)) {}

int64_t TimestampCleaner::Clean(int64_t pts, int64_t step) {
    step = std::max<int64_t>(step, 1);
    if (pts == AV_NOPTS_VALUE) {
        pts = m_last == AV_NOPTS_VALUE ? 0 : m_last + step;
    } else {
        pts += m_offset;
        if (m_last != AV_NOPTS_VALUE && (pts > m_last + m_maxJump || pts < m_last - m_maxJump)) {
            m_offset += m_last + step - pts;
            pts = m_last + step;
        }
    }
    m_last = m_last == AV_NOPTS_VALUE ? pts : std::max(m_last, pts);
    return pts;
}

std::unique_ptr<StreamDecoder> StreamDecoder::Open(AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    AVCodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0)
        return nullptr;
    context->pkt_timebase = stream->time_base;
    context->thread_count = 0;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return std::unique_ptr<StreamDecoder>(new StreamDecoder(stream, std::move(context)));
}

StreamDecoder::StreamDecoder(AVStream* stream, AVCodecContextPtr context)
    : m_stream(stream), m_context(std::move(context)), m_frame(av_frame_alloc()),
      m_timestamps(stream->time_base), m_pictureRate(kFallbackPictureRate) {
    if (!m_frame)
        throw TranscodeError("Out of memory");
}

void StreamDecoder::SetTiming(int64_t zeroMicroseconds, std::optional<AVRational> pictureRate) {
    m_zero = av_rescale_q(zeroMicroseconds, MicrosecondTimeBase, m_stream->time_base);
    m_pictureRate = pictureRate.value_or(kFallbackPictureRate);
}

void StreamDecoder::CountError() {
    if (++m_consecutiveErrors > kMaxConsecutiveDecodeErrors)
        throw TranscodeError("Too many decoding errors; the input is damaged");
}

int64_t StreamDecoder::FrameStep(const AVFrame& frame) const {
    const AVRational timeBase = m_stream->time_base;
    if (m_context->codec_type == AVMEDIA_TYPE_AUDIO)
        return av_rescale_q(frame.nb_samples, AVRational{1, std::max(frame.sample_rate, 1)}, timeBase);
    if (frame.pkt_duration > 0)
        return frame.pkt_duration;
    return av_rescale_q(1, av_inv_q(m_pictureRate), timeBase);
}

void StreamDecoder::Decode(const AVPacket* packet, const FrameHandler& handle) {
    const int sent = avcodec_send_packet(m_context.get(), packet);
    if (sent < 0 && sent != AVERROR_EOF) {
        CountError();
        return;
    }
    while (true) {
        const int received = avcodec_receive_frame(m_context.get(), m_frame.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        if (received < 0) {
            CountError();
            continue;
        }
        m_consecutiveErrors = 0;
        AVFrame* frame = m_frame.get();
        frame->pts = m_timestamps.Clean(frame->best_effort_timestamp, FrameStep(*frame)) - m_zero;
        handle(frame);
        av_frame_unref(frame);
    }
}

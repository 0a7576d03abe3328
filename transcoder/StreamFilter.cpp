#include "transcoder/StreamFilter.h"

#include <sstream>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "transcoder/EncoderSetup.h"
#include "transcoder/TranscodeError.h"

namespace {

constexpr int kMicrosecondsPerSecond = 1000000;

} // namespace

StreamFilter::StreamFilter(AVMediaType type, AVRational inputTimeBase, std::string description,
                           int encoderFrameSize)
    : m_type(type), m_inputTimeBase(inputTimeBase), m_description(std::move(description)),
      m_encoderFrameSize(encoderFrameSize), m_filtered(av_frame_alloc()) {
    if (!m_filtered)
        throw TranscodeError("Out of memory");
}

void StreamFilter::Push(AVFrame* frame, const FrameHandler& handle) {
    if (m_ended)
        return;
    if (!Fits(*frame))
        Rebuild(*frame, handle);
    // A frame the graph refuses, or one no graph could be built for, is lost; the stream goes on.
    if (m_chain && !m_ended && m_chain->Push(frame) >= 0)
        Drain(handle, false);
}

void StreamFilter::Finish(const FrameHandler& handle) {
    Drain(handle, true);
}

bool StreamFilter::Fits(const AVFrame& frame) const {
    if (!m_chain)
        return false;
    if (m_type == AVMEDIA_TYPE_VIDEO)
        return frame.width == m_width && frame.height == m_height && frame.format == m_format;
    return frame.sample_rate == m_sampleRate && frame.format == m_format &&
           av_channel_layout_compare(&frame.ch_layout, &m_layout.Get()) == 0;
}

void StreamFilter::Rebuild(const AVFrame& frame, const FrameHandler& handle) {
    if (m_chain) {
        // An encoder of fixed-size frames takes one short frame only, as its last: the tail shorter
        // than a frame stays in the old graph (as ffmpeg does) and the stream goes on whole frames.
        Drain(handle, m_encoderFrameSize == 0);
        m_chain.reset();
        if (m_ended)
            return;
    }
    const bool video = m_type == AVMEDIA_TYPE_VIDEO;
    if (video ? frame.width <= 0 || frame.height <= 0 || frame.format < 0
              : frame.sample_rate <= 0 || frame.format < 0 || frame.ch_layout.nb_channels <= 0)
        return;
    m_width = frame.width;
    m_height = frame.height;
    m_format = frame.format;
    m_sampleRate = frame.sample_rate;
    m_layout.CopyFrom(frame.ch_layout);
    m_chain = std::make_unique<FilterChain>(video ? "buffer" : "abuffer", SourceArguments(frame),
                                            Description(frame));
    if (m_encoderFrameSize > 0)
        m_chain->SetFrameSize(m_encoderFrameSize);
}

// The audio timing filter starts where the sound so far ended: at 0 for the first graph, so sound that
// begins late is preceded by silence, and seamlessly for a graph built anew mid-stream.
std::string StreamFilter::Description(const AVFrame& frame) const {
    const std::string first = std::string(kAudioTimingFilter) + "0,";
    const size_t at = m_description.find(first);
    if (m_type != AVMEDIA_TYPE_AUDIO || at == std::string::npos)
        return m_description;
    const int64_t sample = av_rescale(m_soundEnd, frame.sample_rate, kMicrosecondsPerSecond);
    return std::string(m_description)
        .replace(at, first.size(), kAudioTimingFilter + std::to_string(sample) + ",");
}

std::string StreamFilter::SourceArguments(const AVFrame& frame) const {
    std::ostringstream args;
    args << "time_base=" << m_inputTimeBase.num << "/" << m_inputTimeBase.den;
    if (m_type == AVMEDIA_TYPE_VIDEO) {
        const AVRational sar =
            frame.sample_aspect_ratio.num > 0 ? frame.sample_aspect_ratio : AVRational{1, 1};
        args << ":video_size=" << frame.width << "x" << frame.height << ":pix_fmt=" << frame.format
             << ":pixel_aspect=" << sar.num << "/" << sar.den;
        return args.str();
    }
    ChannelLayoutOwner described;
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        described.SetDefault(frame.ch_layout.nb_channels);
    else
        described.CopyFrom(frame.ch_layout);
    char layout[128] = {};
    av_channel_layout_describe(&described.Get(), layout, sizeof layout);
    args << ":sample_rate=" << frame.sample_rate
         << ":sample_fmt=" << av_get_sample_fmt_name(static_cast<AVSampleFormat>(frame.format))
         << ":channel_layout=" << layout;
    return args.str();
}

// Takes every frame the graph has ready; with ending set, closes the graph's input first.
void StreamFilter::Drain(const FrameHandler& handle, bool ending) {
    if (!m_chain)
        return;
    if (ending)
        m_chain->Push(nullptr);
    while (true) {
        const int pulled = m_chain->Pull(m_filtered.get());
        if (pulled == AVERROR(EAGAIN))
            return;
        if (pulled == AVERROR_EOF) {
            // A trim that has reached its end closes the stream for good.
            if (!ending)
                m_ended = true;
            return;
        }
        if (pulled < 0)
            throw TranscodeError("Filtering failed: " + AvErrorText(pulled));
        const AVFrame& filtered = *m_filtered;
        if (m_type == AVMEDIA_TYPE_AUDIO && filtered.pts != AV_NOPTS_VALUE && filtered.sample_rate > 0)
            m_soundEnd =
                av_rescale_q(filtered.pts, m_chain->OutputTimeBase(), AVRational{1, kMicrosecondsPerSecond}) +
                av_rescale(filtered.nb_samples, kMicrosecondsPerSecond, filtered.sample_rate);
        handle(m_filtered.get(), m_chain->OutputTimeBase());
        av_frame_unref(m_filtered.get());
    }
}

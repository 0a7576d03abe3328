#include "transcoder/StreamEncoder.h"

#include "transcoder/TranscodeError.h"

StreamEncoder::StreamEncoder(AVCodecContextPtr context)
    : m_context(std::move(context)), m_packet(av_packet_alloc()) {
    if (!m_packet)
        throw TranscodeError("Out of memory");
}

bool StreamEncoder::Stamp(AVFrame& frame, AVRational timeBase) {
    if (m_context->codec_type == AVMEDIA_TYPE_AUDIO) {
        frame.pts = m_nextSample;
        m_nextSample += frame.nb_samples;
        return true;
    }
    frame.pts = av_rescale_q(frame.pts, timeBase, m_context->time_base);
    frame.pict_type = AV_PICTURE_TYPE_NONE;
    // The encoder takes strictly increasing timestamps only.
    if (m_lastPicture != AV_NOPTS_VALUE && frame.pts <= m_lastPicture)
        return false;
    m_lastPicture = frame.pts;
    return true;
}

void StreamEncoder::Encode(AVFrame* frame, AVRational timeBase, const PacketHandler& handle) {
    if (frame && !Stamp(*frame, timeBase))
        return;
    const int sent = avcodec_send_frame(m_context.get(), frame);
    if (sent < 0 && sent != AVERROR_EOF)
        ThrowFailed(sent);
    while (true) {
        const int received = avcodec_receive_packet(m_context.get(), m_packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        if (received < 0)
            ThrowFailed(received);
        handle(m_packet.get());
        av_packet_unref(m_packet.get());
    }
}

void StreamEncoder::ThrowFailed(int error) const {
    throw TranscodeError(std::string("Encoding failed (") + m_context->codec->name +
                         "): " + AvErrorText(error));
}

#include "transcoder/StreamPath.h"

#include "transcoder/InputFile.h"
#include "transcoder/OutputFile.h"
#include "transcoder/StatusReport.h"
#include "transcoder/Transcoder.h"

StreamPath::StreamPath(StreamPlan plan, const Cut& cut, const PathSinks& sinks)
    : m_input(plan.input), m_cut(cut), m_sinks(sinks), m_decoder(std::move(plan.decoder)) {
    if (plan.copy) {
        m_output = sinks.output.AddCopiedStream(*m_input);
        return;
    }
    const AVCodecContext& encoder = *plan.encoder;
    const bool fixedFrameSize = encoder.codec_type == AVMEDIA_TYPE_AUDIO &&
                                !(encoder.codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    m_filter = std::make_unique<StreamFilter>(encoder.codec_type, m_input->time_base, plan.filters,
                                              fixedFrameSize ? encoder.frame_size : 0);
    m_output = sinks.output.AddStream(encoder);
    m_encoder = std::make_unique<StreamEncoder>(std::move(plan.encoder));
    m_toFilter = [this](AVFrame* frame) { m_filter->Push(frame, m_toEncoder); };
    m_toEncoder = [this](AVFrame* frame, AVRational timeBase) {
        m_sinks.input.NoteProgress();
        m_encoder->Encode(frame, timeBase, m_toOutput);
    };
    m_toOutput = [this](AVPacket* packet) { Write(packet, m_encoder->Context().time_base); };
}

std::optional<AVRational> StreamPath::EncodedFrameRate() const {
    if (!m_encoder || m_encoder->Context().codec_type != AVMEDIA_TYPE_VIDEO)
        return std::nullopt;
    return m_encoder->Context().framerate;
}

void StreamPath::Start(int64_t zeroMicroseconds) {
    m_zero = av_rescale_q(zeroMicroseconds, MicrosecondTimeBase, m_input->time_base);
    if (m_decoder)
        m_decoder->SetTiming(zeroMicroseconds, EncodedFrameRate());
}

void StreamPath::Convert(AVPacket& packet) {
    if (Ended())
        return;
    if (m_decoder)
        m_decoder->Decode(&packet, m_toFilter);
    else
        Copy(packet);
}

void StreamPath::Flush() {
    if (!m_decoder)
        return;
    if (!Ended() && !g_stopRequested)
        m_decoder->Decode(nullptr, m_toFilter);
    m_filter->Finish(m_toEncoder);
    m_encoder->Encode(nullptr, m_encoder->Context().time_base, m_toOutput);
}

void StreamPath::Copy(AVPacket& packet) {
    if (packet.pts != AV_NOPTS_VALUE)
        packet.pts -= m_zero;
    if (packet.dts != AV_NOPTS_VALUE)
        packet.dts -= m_zero;
    const int64_t when = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (m_cut.fromStart && when != AV_NOPTS_VALUE && when < 0)
        return;
    if (m_cut.durationMicroseconds && when != AV_NOPTS_VALUE &&
        av_rescale_q(when, m_input->time_base, MicrosecondTimeBase) >= *m_cut.durationMicroseconds) {
        m_ended = true;
        return;
    }
    packet.pos = -1;
    m_sinks.input.NoteProgress();
    Write(&packet, m_input->time_base);
}

void StreamPath::Write(AVPacket* packet, AVRational timeBase) {
    if (m_input->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
        m_sinks.status.NotePicture(*packet);
    else
        m_sinks.status.NoteSound();
    av_packet_rescale_ts(packet, timeBase, m_output->time_base);
    m_sinks.output.Write(packet, *m_output);
}

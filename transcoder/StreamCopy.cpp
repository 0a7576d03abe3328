#include "transcoder/StreamCopy.h"

#include <cstring>

#include "transcoder/InputFile.h"
#include "transcoder/OutputFile.h"
#include "transcoder/StatusReport.h"
#include "transcoder/TranscodeError.h"
#include "transcoder/Transcoder.h"

namespace {

int64_t PresentationTime(const AVPacket& packet) {
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

AVPacketPtr Clone(const AVPacket& packet) {
    AVPacketPtr copy(av_packet_clone(&packet));
    if (!copy)
        throw TranscodeError("Out of memory");
    return copy;
}

// What the muxer cannot learn from the codec parameters: a phone's display matrix, for example.
void CopySideData(const AVStream& input, AVStream& output) {
    for (int i = 0; i < input.nb_side_data; ++i) {
        const AVPacketSideData& side = input.side_data[i];
        uint8_t* data = av_stream_new_side_data(&output, side.type, side.size);
        if (!data)
            throw TranscodeError("Out of memory");
        std::memcpy(data, side.data, side.size);
    }
}

void SetExtradata(AVCodecParameters& parameters, const Bytes& extradata) {
    av_freep(&parameters.extradata);
    parameters.extradata_size = 0;
    auto* data = static_cast<uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!data)
        throw TranscodeError("Out of memory");
    std::memcpy(data, extradata.data(), extradata.size());
    parameters.extradata = data;
    parameters.extradata_size = static_cast<int>(extradata.size());
}

bool IsMp4Family(const AVOutputFormat& format) {
    return std::strcmp(format.name, "mp4") == 0 || std::strcmp(format.name, "mov") == 0;
}

} // namespace

StreamCopy::StreamCopy(CopyPlan plan, const PathSinks& sinks)
    : m_plan(std::move(plan)), m_sinks(sinks), m_headDone(!m_plan.head) {
    for (AVStream* input : m_plan.streams)
        AddStream(input);
    for (Copied& stream : m_streams)
        if (stream.input == m_sinks.input.VideoStream())
            m_video = &stream;
    if (m_video && (m_plan.head || m_plan.tail))
        PrepareVideoOutput(*m_video);
}

void StreamCopy::PrepareVideoOutput(Copied& video) {
    std::vector<Bytes> added;
    for (const HeadEncoder* part : {m_plan.head.get(), m_plan.tail.get()})
        if (part)
            for (Bytes& set : part->RecordSets())
                added.push_back(std::move(set));
    SetExtradata(*video.output->codecpar, JoinedExtradata(*video.input, added));
    // The re-encoded pictures' parameter sets travel with them: the sample entry that allows them.
    if (video.input->codecpar->codec_id == AV_CODEC_ID_HEVC && IsMp4Family(m_sinks.output.Format()))
        m_sinks.output.SetCodecTag(*video.output, "hev1");
}

void StreamCopy::AddStream(AVStream* input) {
    AVStream* output = m_sinks.output.AddCopiedStream(*input);
    const AVOutputFormat& format = m_sinks.output.Format();
    // The input's own four-letter code where the container knows it (an H.265 "hvc1" stays so).
    const uint32_t tag = input->codecpar->codec_tag;
    if (tag && format.codec_tag && av_codec_get_id(format.codec_tag, tag) == input->codecpar->codec_id)
        output->codecpar->codec_tag = tag;
    if (av_dict_copy(&output->metadata, input->metadata, 0) < 0)
        throw TranscodeError("Out of memory");
    output->disposition = input->disposition;
    output->avg_frame_rate = input->avg_frame_rate;
    output->sample_aspect_ratio = input->sample_aspect_ratio;
    CopySideData(*input, *output);
    Copied copied;
    copied.input = input;
    copied.output = output;
    copied.zero = m_plan.zero.In(input->time_base);
    if (m_plan.end)
        copied.end = m_plan.end->In(input->time_base);
    m_streams.push_back(std::move(copied));
}

std::string StreamCopy::Run() {
    try {
        AVPacketPtr packet(av_packet_alloc());
        if (!packet)
            return "Out of memory";
        while (!g_stopRequested && !AllEnded() && m_sinks.input.Read(packet.get()) == 0) {
            Take(*packet);
            av_packet_unref(packet.get());
            m_sinks.status.Print(false);
        }
        if (!m_headDone)
            FinishHead();
        if (m_video)
            FinishVideoEnd(*m_video);
        return "";
    } catch (const TranscodeError& error) {
        return error.what();
    }
}

bool StreamCopy::AllEnded() const {
    for (const Copied& stream : m_streams) {
        const AVMediaType type = stream.input->codecpar->codec_type;
        if ((type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) && !stream.ended)
            return false;
    }
    return true;
}

void StreamCopy::Take(AVPacket& packet) {
    for (Copied& stream : m_streams) {
        if (stream.input->index != packet.stream_index)
            continue;
        if (&stream == m_video)
            TakeVideo(stream, packet);
        else
            TakeOther(stream, packet);
        return;
    }
}

void StreamCopy::TakeVideo(Copied& stream, AVPacket& packet) {
    // The video starts at its key frame: what a seek read before it is no use.
    if (!m_videoStarted) {
        const int64_t first = PresentationTime(packet);
        if (!(packet.flags & AV_PKT_FLAG_KEY) || first == AV_NOPTS_VALUE || first < m_plan.videoFrom)
            return;
        m_videoStarted = true;
    }
    const int64_t when = PresentationTime(packet);
    const int64_t decoded = packet.dts != AV_NOPTS_VALUE ? packet.dts : when;
    // The group the tail is decoded from: none of it lies past the end in decoding order.
    if (!stream.ended && decoded < stream.end)
        RememberGroup(packet);
    HeadEncoder* head = m_plan.head.get();
    if (head && !head->Complete()) {
        head->Feed(packet, [&](AVPacket& encoded) { Write(stream, encoded); });
        if (head->Complete() && !m_headDone)
            FinishHead();
    }
    const int64_t copyFrom = head ? head->End() : stream.zero;
    if (stream.ended || when == AV_NOPTS_VALUE || (m_plan.trimStart && when < copyFrom))
        return;
    if (decoded >= stream.end) {
        stream.ended = true;
        return;
    }
    if (when >= stream.end || !stream.heldBack.empty()) {
        // Pictures past the end, and the pictures before it that refer to them: see FinishVideoEnd.
        if (when < stream.end)
            m_tailFrom = std::min(m_tailFrom, when);
        stream.heldBack.push_back(Clone(packet));
        return;
    }
    QueueOrWrite(stream, packet);
}

void StreamCopy::RememberGroup(const AVPacket& packet) {
    if (!m_plan.tail)
        return;
    if (packet.flags & AV_PKT_FLAG_KEY)
        m_group.clear();
    m_group.push_back(Clone(packet));
}

void StreamCopy::FinishVideoEnd(Copied& stream) {
    const bool referred = m_tailFrom != INT64_MAX;
    if (referred && m_plan.tail && m_tailFrom > m_lastVideoPts && !m_group.empty()) {
        // The pictures from the first one that refers past the end are encoded again, from the
        // group's key frame on, so the output ends at the end.
        HeadEncoder& tail = *m_plan.tail;
        tail.SetSpan(m_tailFrom, stream.end, std::max<int64_t>(m_tailFrom - m_lastVideoDts - 1, 0));
        const auto write = [&](AVPacket& encoded) { Write(stream, encoded); };
        for (const AVPacketPtr& packet : m_group)
            tail.Feed(*packet, write);
        tail.Finish(write);
    } else if (referred) {
        // The pictures past the end that pictures before it refer to stay, so they decode; those
        // after the last picture before the end do not.
        while (PresentationTime(*stream.heldBack.back()) >= stream.end)
            stream.heldBack.pop_back();
        for (AVPacketPtr& held : stream.heldBack)
            QueueOrWrite(stream, *held);
    }
    stream.heldBack.clear();
    m_group.clear();
}

void StreamCopy::QueueOrWrite(Copied& stream, AVPacket& packet) {
    if (m_plan.head && !m_junctionPrepared) {
        m_junctionPrepared = true;
        m_plan.head->PrepareJunction(packet);
    }
    if (m_headDone)
        Write(stream, packet);
    else
        m_afterHead.push_back(Clone(packet));
}

void StreamCopy::FinishHead() {
    m_plan.head->Finish([&](AVPacket& encoded) { Write(*m_video, encoded); });
    m_headDone = true;
    for (AVPacketPtr& packet : m_afterHead)
        Write(*m_video, *packet);
    m_afterHead.clear();
}

void StreamCopy::TakeOther(Copied& stream, AVPacket& packet) {
    const int64_t when = PresentationTime(packet);
    if (stream.ended || when == AV_NOPTS_VALUE)
        return;
    const AVMediaType type = stream.input->codecpar->codec_type;
    const int64_t span = std::max<int64_t>(packet.duration, 0);
    if (m_plan.trimStart && when + span <= stream.zero && !(span == 0 && when == stream.zero))
        return;
    if (when >= stream.end) {
        stream.ended = type != AVMEDIA_TYPE_SUBTITLE;
        return;
    }
    if (m_plan.trimStart && when < stream.zero && type == AVMEDIA_TYPE_SUBTITLE) {
        // A subtitle on screen at the start shows from the start for what remains of it.
        packet.duration = span - (stream.zero - when);
        packet.pts = stream.zero;
        packet.dts = stream.zero;
    }
    if (m_plan.trimStart && when < stream.zero && type == AVMEDIA_TYPE_VIDEO)
        return;
    Write(stream, packet);
}

void StreamCopy::Write(Copied& stream, AVPacket& packet) {
    if (&stream == m_video) {
        m_lastVideoPts = std::max(m_lastVideoPts, packet.pts);
        m_lastVideoDts = packet.dts;
    }
    if (packet.pts != AV_NOPTS_VALUE)
        packet.pts -= stream.zero;
    if (packet.dts != AV_NOPTS_VALUE)
        packet.dts -= stream.zero;
    packet.pos = -1;
    const AVMediaType type = stream.input->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO)
        m_sinks.status.NotePicture(packet);
    else if (type == AVMEDIA_TYPE_AUDIO)
        m_sinks.status.NoteSound();
    m_sinks.input.NoteProgress();
    av_packet_rescale_ts(&packet, stream.input->time_base, stream.output->time_base);
    m_sinks.output.Write(&packet, *stream.output);
}

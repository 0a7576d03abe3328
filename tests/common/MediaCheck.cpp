#include "tests/common/MediaCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <memory>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

#include "support/LibavOwners.h"

namespace {

int g_loggedErrors = 0;

void CountingLog(void*, int level, const char*, va_list) {
    if (level <= AV_LOG_ERROR)
        ++g_loggedErrors;
}

// Counts the library's error messages for as long as it lives.
class LogCounter {
public:
    LogCounter() {
        g_loggedErrors = 0;
        av_log_set_callback(CountingLog);
    }
    ~LogCounter() { av_log_set_callback(av_log_default_callback); }
    LogCounter(const LogCounter&) = delete;
    LogCounter& operator=(const LogCounter&) = delete;
    int Count() const { return g_loggedErrors; }
};

AVCodecContextPtr OpenDecoder(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    AVCodecContextPtr decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream->codecpar);
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

double MeanLuma(const AVFrame& frame, int fromX, int toX) {
    double sum = 0.0;
    int64_t count = 0;
    for (int y = frame.height / 4; y < frame.height * 3 / 4; ++y)
        for (int x = fromX; x < toX; ++x, ++count)
            sum += frame.data[0][y * frame.linesize[0] + x];
    return count ? sum / static_cast<double>(count) : -1.0;
}

double Peak(const AVFrame& frame) {
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? frame.ch_layout.nb_channels : 1;
    const int perPlane = planar ? frame.nb_samples : frame.nb_samples * frame.ch_layout.nb_channels;
    double peak = 0.0;
    for (int plane = 0; plane < planes; ++plane)
        for (int i = 0; i < perPlane; ++i) {
            double value = 0.0;
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_FLT:
                value = reinterpret_cast<const float*>(frame.extended_data[plane])[i];
                break;
            case AV_SAMPLE_FMT_S16:
                value = reinterpret_cast<const int16_t*>(frame.extended_data[plane])[i] / 32768.0;
                break;
            case AV_SAMPLE_FMT_S32:
                value = reinterpret_cast<const int32_t*>(frame.extended_data[plane])[i] / 2147483648.0;
                break;
            default:
                break;
            }
            peak = std::max(peak, std::fabs(value));
        }
    return peak;
}

struct Decoding {
    int index = -1;
    AVCodecContextPtr decoder;
    int64_t firstPts = AV_NOPTS_VALUE;
    int64_t lastEnd = AV_NOPTS_VALUE;
};

void Receive(Decoding& stream, AVFrame* frame, MediaReport& report) {
    while (true) {
        const int received = avcodec_receive_frame(stream.decoder.get(), frame);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        if (received < 0) {
            ++report.errors;
            return;
        }
        if (stream.decoder->codec_type == AVMEDIA_TYPE_VIDEO) {
            if (report.videoFrames == 0 && frame->format >= 0 &&
                !(av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format))->flags &
                  AV_PIX_FMT_FLAG_RGB)) {
                report.firstLeftLuma = MeanLuma(*frame, frame->width / 8, frame->width * 3 / 8);
                report.firstRightLuma = MeanLuma(*frame, frame->width * 5 / 8, frame->width * 7 / 8);
            }
            ++report.videoFrames;
            const int64_t pts = frame->best_effort_timestamp;
            if (pts != AV_NOPTS_VALUE) {
                if (stream.firstPts == AV_NOPTS_VALUE)
                    stream.firstPts = pts;
                const int64_t duration = frame->pkt_duration > 0 ? frame->pkt_duration : 0;
                stream.lastEnd = std::max(stream.lastEnd, pts + duration);
            }
        } else {
            report.audioSamples += frame->nb_samples;
            report.audioPeak = std::max(report.audioPeak, Peak(*frame));
        }
        av_frame_unref(frame);
    }
}

// The decoder of the file's best stream of a type, and what the report says of that stream.
Decoding OpenBest(AVFormatContext& input, AVMediaType type, MediaReport& report) {
    Decoding decoding;
    decoding.index = av_find_best_stream(&input, type, -1, -1, nullptr, 0);
    if (decoding.index < 0)
        return decoding;
    AVStream* stream = input.streams[decoding.index];
    const AVCodecParameters& parameters = *stream->codecpar;
    decoding.decoder = OpenDecoder(stream);
    if (type == AVMEDIA_TYPE_VIDEO) {
        report.hasVideo = decoding.decoder != nullptr;
        report.videoCodec = avcodec_get_name(parameters.codec_id);
        report.width = parameters.width;
        report.height = parameters.height;
        const AVRational sar = av_guess_sample_aspect_ratio(&input, stream, nullptr);
        report.sarNum = sar.num;
        report.sarDen = sar.den ? sar.den : 1;
        report.hasRotation = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr) != nullptr;
    } else {
        report.hasAudio = decoding.decoder != nullptr;
        report.audioCodec = avcodec_get_name(parameters.codec_id);
        report.sampleRate = parameters.sample_rate;
        report.channels = parameters.ch_layout.nb_channels;
        // FLAC keeps its tags with the file only.
        const AVDictionaryEntry* language = av_dict_get(stream->metadata, "language", nullptr, 0);
        if (!language)
            language = av_dict_get(input.metadata, "language", nullptr, 0);
        if (language)
            report.audioLanguage = language->value;
    }
    return decoding;
}

// Decodes every packet of both streams, then what the decoders still hold.
void DecodeAll(AVFormatContext& input, Decoding& video, Decoding& audio, MediaReport& report) {
    AVPacketPtr packet(av_packet_alloc());
    AVFramePtr frame(av_frame_alloc());
    while (true) {
        const int read = av_read_frame(&input, packet.get());
        if (read < 0) {
            if (read != AVERROR_EOF)
                ++report.errors;
            break;
        }
        for (Decoding* stream : {&video, &audio}) {
            if (stream->decoder && packet->stream_index == stream->index) {
                if (stream == &video)
                    report.videoBytes += packet->size;
                if (avcodec_send_packet(stream->decoder.get(), packet.get()) < 0)
                    ++report.errors;
                Receive(*stream, frame.get(), report);
            }
        }
        av_packet_unref(packet.get());
    }
    for (Decoding* stream : {&video, &audio}) {
        if (stream->decoder) {
            avcodec_send_packet(stream->decoder.get(), nullptr);
            Receive(*stream, frame.get(), report);
        }
    }
}

} // namespace

MediaReport CheckMedia(const std::string& path) {
    MediaReport report;
    LogCounter log;
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (opened < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, text, sizeof text);
        report.openError = text;
        return report;
    }
    InputContextPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) {
        report.openError = "no stream info";
        return report;
    }
    report.opened = true;
    report.format = input->iformat->name;
    // Ogg keeps its tags with the stream, others with the file.
    const AVDictionaryEntry* created = av_dict_get(input->metadata, "creation_time", nullptr, 0);
    for (unsigned i = 0; !created && i < input->nb_streams; ++i)
        created = av_dict_get(input->streams[i]->metadata, "creation_time", nullptr, 0);
    if (created)
        report.creationTime = created->value;
    Decoding video = OpenBest(*input, AVMEDIA_TYPE_VIDEO, report);
    Decoding audio = OpenBest(*input, AVMEDIA_TYPE_AUDIO, report);
    DecodeAll(*input, video, audio, report);
    if (video.decoder && video.firstPts != AV_NOPTS_VALUE)
        report.videoSeconds = static_cast<double>(video.lastEnd - video.firstPts) *
                              av_q2d(input->streams[video.index]->time_base);
    report.errors += log.Count();
    return report;
}

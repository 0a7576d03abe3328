#include "transcoder/StatusReport.h"

#include <cstdio>
#include <sstream>

extern "C" {
#include <libavutil/intreadwrite.h>
#include <libavutil/pixdesc.h>
}

#include "transcoder/Console.h"
#include "transcoder/InputFile.h"
#include "transcoder/OutputFile.h"
#include "transcoder/StatusLine.h"

namespace {

constexpr auto kStatusInterval = std::chrono::milliseconds(500);

std::string DurationText(int64_t microseconds) {
    const int64_t centi = microseconds / 10000;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02lld", static_cast<long long>(centi / 360000),
                  static_cast<long long>(centi / 6000 % 60), static_cast<long long>(centi / 100 % 60),
                  static_cast<long long>(centi % 100));
    return text;
}

std::string StreamText(const AVCodecParameters& parameters, std::optional<AVRational> rate) {
    std::ostringstream text;
    if (parameters.codec_type == AVMEDIA_TYPE_VIDEO) {
        text << "Video: " << avcodec_get_name(parameters.codec_id);
        if (const char* format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(parameters.format)))
            text << ", " << format;
        text << ", " << parameters.width << "x" << parameters.height;
        if (rate) {
            char fps[32];
            std::snprintf(fps, sizeof fps, "%.5g", av_q2d(*rate));
            text << ", " << fps << " fps";
        }
    } else if (parameters.codec_type == AVMEDIA_TYPE_AUDIO) {
        text << "Audio: " << avcodec_get_name(parameters.codec_id) << ", " << parameters.sample_rate
             << " Hz, " << parameters.ch_layout.nb_channels << " channels";
    } else {
        text << av_get_media_type_string(parameters.codec_type) << ": "
             << avcodec_get_name(parameters.codec_id);
    }
    return text.str();
}

} // namespace

void StatusReport::PrintHeader(const InputFile& input, std::optional<AVRational> outputRate,
                               const std::vector<std::string>& warnings) const {
    const AVFormatContext& in = input.Context();
    std::ostringstream text;
    text << "Input #0, " << in.iformat->name << ", from '" << input.Path() << "':\n";
    if (in.duration > 0)
        text << "  Duration: " << DurationText(in.duration) << "\n";
    for (unsigned i = 0; i < in.nb_streams; ++i)
        text << "  Stream #0:" << i << ": " << StreamText(*in.streams[i]->codecpar, std::nullopt) << "\n";
    const AVFormatContext& out = m_output.Context();
    text << "Output #0, " << out.oformat->name << ", to '" << out.url << "':\n";
    for (unsigned i = 0; i < out.nb_streams; ++i) {
        const AVCodecParameters& parameters = *out.streams[i]->codecpar;
        const bool encodedVideo = parameters.codec_type == AVMEDIA_TYPE_VIDEO && outputRate;
        text << "  Stream #0:" << i << ": "
             << StreamText(parameters, encodedVideo ? outputRate : std::nullopt);
        if (parameters.bit_rate > 0)
            text << ", " << parameters.bit_rate / 1000 << " kb/s";
        text << "\n";
    }
    for (const std::string& warning : warnings)
        text << "Warning: " << warning << "\n";
    WriteToConsole(text.str());
}

void StatusReport::NotePicture(const AVPacket& packet) {
    ++m_pictures;
    size_t size = 0;
    const uint8_t* stats = av_packet_get_side_data(&packet, AV_PKT_DATA_QUALITY_STATS, &size);
    if (stats && size >= 4)
        // Signed: an encoder that reports no quality for a picture (x264 at its end) stores -1.
        m_quality = static_cast<double>(static_cast<int32_t>(AV_RL32(stats))) / FF_QP2LAMBDA;
}

void StatusReport::Print(bool final) {
    const auto now = std::chrono::steady_clock::now();
    if (!final && now - m_lastPrint < kStatusInterval)
        return;
    m_lastPrint = now;
    StatusInfo info;
    info.hasVideo = m_hasVideo;
    info.frames = m_pictures;
    info.quality = m_quality;
    info.bytes = m_output.Bytes(final);
    info.seconds = m_output.Seconds();
    WriteToConsole(FormatStatusLine(info, final));
}

#include "tests/common/StreamStarts.h"

#include <stdexcept>

#include "support/LibavOwners.h"

StreamStarts ReadStreamStarts(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot open " + path);
    InputContextPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        throw std::runtime_error("no stream info in " + path);
    StreamStarts starts;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        starts.codecs.push_back(avcodec_get_name(input->streams[i]->codecpar->codec_id));
    for (const AVMediaType type : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}) {
        const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
        if (index < 0)
            continue;
        const AVStream& stream = *input->streams[index];
        const double start = stream.start_time == AV_NOPTS_VALUE
                                 ? 0.0
                                 : static_cast<double>(stream.start_time) * av_q2d(stream.time_base);
        (type == AVMEDIA_TYPE_VIDEO ? starts.videoStart : starts.audioStart) = start;
        if (type == AVMEDIA_TYPE_AUDIO && stream.codecpar->sample_rate > 0)
            starts.audioFrameSeconds =
                static_cast<double>(stream.codecpar->frame_size) / stream.codecpar->sample_rate;
    }
    return starts;
}

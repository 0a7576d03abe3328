#include "transcoder/FilterChain.h"

#include "transcoder/TranscodeError.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/mem.h>
}

namespace {

void Check(int result, const std::string& what) {
    if (result < 0)
        throw TranscodeError("Cannot set up the filters (" + what + "): " + AvErrorText(result));
}

} // namespace

FilterChain::FilterChain(const char* sourceName, const std::string& sourceArgs,
                         const std::string& description)
    : m_graph(avfilter_graph_alloc()) {
    if (!m_graph)
        throw TranscodeError("Out of memory");
    // The same scaler quality as the ffmpeg command's default.
    m_graph->scale_sws_opts = av_strdup("flags=bicubic");
    const bool video = std::string(sourceName) == "buffer";
    Check(avfilter_graph_create_filter(&m_source, avfilter_get_by_name(sourceName), "in", sourceArgs.c_str(),
                                       nullptr, m_graph.get()),
          sourceName);
    Check(avfilter_graph_create_filter(&m_sink, avfilter_get_by_name(video ? "buffersink" : "abuffersink"),
                                       "out", nullptr, nullptr, m_graph.get()),
          "sink");

    AVFilterInOutPtr outputs(avfilter_inout_alloc());
    AVFilterInOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs)
        throw TranscodeError("Out of memory");
    outputs->name = av_strdup("in");
    outputs->filter_ctx = m_source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    AVFilterInOut* openInputs = inputs.release();
    AVFilterInOut* openOutputs = outputs.release();
    const int parsed =
        avfilter_graph_parse_ptr(m_graph.get(), description.c_str(), &openInputs, &openOutputs, nullptr);
    AVFilterInOutPtr leftInputs(openInputs);
    AVFilterInOutPtr leftOutputs(openOutputs);
    Check(parsed, description);
    Check(avfilter_graph_config(m_graph.get(), nullptr), description);
}

int FilterChain::Push(AVFrame* frame) {
    return av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
}

int FilterChain::Pull(AVFrame* frame) {
    return av_buffersink_get_frame(m_sink, frame);
}

AVRational FilterChain::OutputTimeBase() const {
    return av_buffersink_get_time_base(m_sink);
}

void FilterChain::SetFrameSize(int samples) {
    av_buffersink_set_frame_size(m_sink, static_cast<unsigned>(samples));
}

int FilterChain::OutputWidth() const {
    return av_buffersink_get_w(m_sink);
}

int FilterChain::OutputHeight() const {
    return av_buffersink_get_h(m_sink);
}

AVRational FilterChain::OutputSampleAspect() const {
    const AVRational sar = av_buffersink_get_sample_aspect_ratio(m_sink);
    return sar.num > 0 ? sar : AVRational{1, 1};
}

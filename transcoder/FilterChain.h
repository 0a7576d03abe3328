#pragma once

#include <string>

#include "support/LibavOwners.h"

// One linear filter graph: a buffer (or abuffer) source, the filters of a description, a sink.
class FilterChain {
public:
    // sourceName is "buffer" or "abuffer"; description is FFmpeg's filter syntax ("null" for none).
    // Throws TranscodeError when the graph cannot be built.
    FilterChain(const char* sourceName, const std::string& sourceArgs, const std::string& description);

    // A frame into the graph (nullptr ends the input). Returns the library's status.
    int Push(AVFrame* frame);
    // The next filtered frame: 0, AVERROR(EAGAIN) or AVERROR_EOF.
    int Pull(AVFrame* frame);
    AVRational OutputTimeBase() const;
    // The picture the graph gives (video only).
    int OutputWidth() const;
    int OutputHeight() const;
    AVRational OutputSampleAspect() const;
    // Audio encoders with a fixed frame size take frames of exactly that many samples.
    void SetFrameSize(int samples);

private:
    AVFilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
};

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "support/LibavOwners.h"
#include "transcoder/FilterChain.h"

// The filters of one stream. The graph is built for the format of the frames that arrive and built
// anew when that format changes mid-stream (another picture size, sample rate or channel layout).
class StreamFilter {
public:
    // A filtered frame and the time base of its timestamp.
    using FrameHandler = std::function<void(AVFrame* frame, AVRational timeBase)>;

    // description is the graph between source and sink; encoderFrameSize, when not 0, is the exact
    // number of samples each audio frame must carry.
    StreamFilter(AVMediaType type, AVRational inputTimeBase, std::string description, int encoderFrameSize);

    // Filters one frame. A frame with no usable format is dropped.
    void Push(AVFrame* frame, const FrameHandler& handle);
    // Ends the input and hands over every frame still in the graph.
    void Finish(const FrameHandler& handle);
    // True once the trim has passed its end: nothing more will come out.
    bool Ended() const { return m_ended; }

private:
    bool Fits(const AVFrame& frame) const;
    void Rebuild(const AVFrame& frame, const FrameHandler& handle);
    std::string SourceArguments(const AVFrame& frame) const;
    void Drain(const FrameHandler& handle, bool ending);
    std::string Description(const AVFrame& frame) const;

    AVMediaType m_type;
    AVRational m_inputTimeBase;
    std::string m_description;
    int m_encoderFrameSize;
    std::unique_ptr<FilterChain> m_chain;
    AVFramePtr m_filtered;
    bool m_ended = false;
    // Audio: where the sound handed on so far ends, in microseconds; a new graph continues from there.
    int64_t m_soundEnd = 0;
    // The frame format the current graph was built for.
    int m_width = 0, m_height = 0, m_format = -1, m_sampleRate = 0;
    ChannelLayoutOwner m_layout;
};

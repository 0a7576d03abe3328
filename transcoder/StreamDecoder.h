#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "support/LibavOwners.h"

// Keeps a stream's timestamps moving forward in steady steps across gaps and jumps of a damaged input.
class TimestampCleaner {
public:
    explicit TimestampCleaner(AVRational timeBase);
    int64_t Clean(int64_t pts, int64_t step);

private:
    int64_t m_maxJump;
    int64_t m_last = AV_NOPTS_VALUE;
    int64_t m_offset = 0;
};

// Decodes one input stream into frames whose timestamps count from the output's time zero, in the
// stream's time base.
class StreamDecoder {
public:
    using FrameHandler = std::function<void(AVFrame* frame)>;

    // nullptr when the stream has no decoder or its decoder does not open.
    static std::unique_ptr<StreamDecoder> Open(AVStream* stream);

    AVStream* Stream() const { return m_stream; }
    // zeroMicroseconds is the input time of the output's start; pictureRate, when given, the rate
    // that spaces pictures without a duration of their own.
    void SetTiming(int64_t zeroMicroseconds, std::optional<AVRational> pictureRate);
    // Decodes a packet (nullptr: the end of the stream) and hands over every frame it yields. A frame
    // that does not decode is skipped; a long run of them throws TranscodeError.
    void Decode(const AVPacket* packet, const FrameHandler& handle);

private:
    StreamDecoder(AVStream* stream, AVCodecContextPtr context);
    void CountError();
    int64_t FrameStep(const AVFrame& frame) const;

    AVStream* m_stream;
    AVCodecContextPtr m_context;
    AVFramePtr m_frame;
    TimestampCleaner m_timestamps;
    int64_t m_zero = 0;
    AVRational m_pictureRate;
    int m_consecutiveErrors = 0;
};

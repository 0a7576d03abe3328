#pragma once

#include <cstdint>
#include <functional>

#include "support/LibavOwners.h"

// Encodes the filtered frames of one stream: pictures on the encoder's clock with strictly increasing
// timestamps, samples counted without gaps.
class StreamEncoder {
public:
    // An encoded packet, its timestamps in the encoder's time base.
    using PacketHandler = std::function<void(AVPacket* packet)>;

    explicit StreamEncoder(AVCodecContextPtr context);

    const AVCodecContext& Context() const { return *m_context; }
    // Encodes a frame whose timestamp is in timeBase; nullptr ends the stream. Throws TranscodeError
    // when the encoder fails.
    void Encode(AVFrame* frame, AVRational timeBase, const PacketHandler& handle);

private:
    // False for a picture that would not move the clock forward (it is dropped).
    bool Stamp(AVFrame& frame, AVRational timeBase);
    [[noreturn]] void ThrowFailed(int error) const;

    AVCodecContextPtr m_context;
    AVPacketPtr m_packet;
    int64_t m_nextSample = 0;
    int64_t m_lastPicture = AV_NOPTS_VALUE;
};

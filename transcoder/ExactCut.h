#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "support/LibavOwners.h"
#include "transcoder/NalUnits.h"

// The codec of a stream whose cut can be made exact (H.264, H.265); no value for any other.
std::optional<VideoCodec> SpliceCodecOf(const AVCodecParameters& parameters);

// Why the pictures of this stream cannot be re-encoded to match the copied rest, in a few words
// ("VP9 video", "interlaced video", "no libx265 encoder"); no value when they can.
std::optional<std::string> ExactCutObstacle(const AVStream& video);

// The pictures from the start of an exact cut up to the junction, decoded from the key frame before
// them and encoded again with the copied stream's parameters (codec, profile, level, size, pixel
// format, frame rate, aspect, colours), ready to stand in front of the copied packets:
// - no B-frames, and decoding times one reorder delay before the presentation times, so that they
//   run on into the copied stream's decoding times;
// - H.264: its own parameter set numbers, its sets added to the stream's configuration record (or
//   carried by its first picture where the stream has start codes);
// - H.265: its sets carried by its first picture; the copied stream's sets are then repeated in its
//   junction picture, which becomes a broken link so that leading pictures are skipped.
// Packets come out in the input stream's time base and NAL layout.
class HeadEncoder {
public:
    using PacketHandler = std::function<void(AVPacket& packet)>;

    // Throws TranscodeError when the decoder or the encoder does not open.
    HeadEncoder(const AVStream& video, VideoCodec codec, int64_t from, int64_t to, int64_t reorderDelay);
    HeadEncoder(const HeadEncoder&) = delete;
    HeadEncoder& operator=(const HeadEncoder&) = delete;

    // The configuration record the output stream carries (the input's, with the head's sets added
    // where they live there).
    Bytes OutputExtradata() const;
    // Decodes a packet of the input stream; encodes each picture from `from` up to `to`.
    void Feed(const AVPacket& packet, const PacketHandler& handle);
    // Where the head ends: the junction (or the cut's end when it has none).
    int64_t End() const { return m_to; }
    // True once the decoder has shown a picture at or after `to`: the head is complete.
    bool Complete() const { return m_complete; }
    // Encodes what the decoder and the encoder still hold.
    void Finish(const PacketHandler& handle);
    // The copied stream's first packet after the head, made ready to follow it.
    void PrepareJunction(AVPacket& packet) const;

private:
    void Encode(AVFrame* frame, const PacketHandler& handle);
    void Deliver(AVPacket& packet, const PacketHandler& handle);
    void Drain(const PacketHandler& handle);

    const AVStream& m_video;
    VideoCodec m_codec;
    int64_t m_from;
    int64_t m_to;
    int64_t m_reorderDelay;
    std::optional<int> m_lengthSize;
    AVCodecContextPtr m_decoder;
    AVCodecContextPtr m_encoder;
    AVFramePtr m_frame;
    AVPacketPtr m_packet;
    std::vector<Bytes> m_headSets; // H.264: the head's parameter sets, from the encoder
    bool m_firstWritten = false;
    bool m_complete = false;
    int64_t m_lastPts = AV_NOPTS_VALUE;
};

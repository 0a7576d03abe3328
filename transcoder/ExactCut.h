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

// Pictures of an exact cut that cannot be copied, decoded from the key frame before them and encoded
// again with the copied stream's parameters (codec, profile, level, size, pixel format, frame rate,
// aspect, colours): the head (from the start up to the junction where copying begins) and the tail
// (the pictures before the end that refer to pictures after it). Each is ready to stand beside the
// copied packets:
// - no B-frames, and decoding times one reorder delay before the presentation times, so that they
//   run on into (or after) the copied stream's decoding times;
// - H.264: its own parameter set numbers, its sets added to the stream's configuration record (or
//   carried by its first picture where the stream has start codes);
// - H.265: its sets carried by its first picture; the copied stream's sets are then repeated in the
//   junction picture, which becomes a broken link so that leading pictures are skipped.
// Packets come out in the input stream's time base and NAL layout.
class HeadEncoder {
public:
    using PacketHandler = std::function<void(AVPacket& packet)>;

    // parameterSetId numbers the H.264 sets (the copied stream's are 0). Throws TranscodeError when
    // the decoder or the encoder does not open.
    HeadEncoder(const AVStream& video, VideoCodec codec, int parameterSetId);
    HeadEncoder(const HeadEncoder&) = delete;
    HeadEncoder& operator=(const HeadEncoder&) = delete;

    // The pictures to encode, [from, to), and how far decoding times lie before presentation times.
    void SetSpan(int64_t from, int64_t to, int64_t reorderDelay);
    // H.264: the sets to add to the stream's configuration record (none where they travel in-band).
    std::vector<Bytes> RecordSets() const;
    // Where the head ends: the junction (or the cut's end when it has none).
    int64_t End() const { return m_to; }
    // Decodes a packet of the input stream; encodes each picture from `from` up to `to`.
    void Feed(const AVPacket& packet, const PacketHandler& handle);
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
    int64_t m_from = 0;
    int64_t m_to = INT64_MAX;
    int64_t m_reorderDelay = 0;
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

// The copied stream's configuration record with the re-encoded parts' sets added (H.264 in MP4 or
// Matroska); the input's own extradata otherwise. Throws TranscodeError for a record it cannot extend.
Bytes JoinedExtradata(const AVStream& video, const std::vector<Bytes>& addedSets);

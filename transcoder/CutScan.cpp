#include "transcoder/CutScan.h"

#include "transcoder/InputFile.h"

namespace {

int64_t PresentationTime(const AVPacket& packet) {
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

bool StartsAfresh(const AVPacket& packet, const AVStream& stream, VideoCodec codec) {
    for (const Bytes& unit : PacketUnits(packet, StreamLengthSize(stream, codec)))
        if (IsRandomAccess(codec, NalType(codec, unit)))
            return true;
    return false;
}

// One pass from wherever the input stands. Returns false when no key frame at or before the start
// was met (the seek landed after it).
bool ScanFromHere(InputFile& input, const CutScanRequest& request, CutPoints& points) {
    AVPacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;
    bool keyFound = false;
    while (input.Read(packet.get()) == 0) {
        const AVPacket& p = *packet;
        const int64_t when = PresentationTime(p);
        const bool key = p.flags & AV_PKT_FLAG_KEY;
        const bool video = p.stream_index == request.video.index && when != AV_NOPTS_VALUE;
        const int64_t decoded = p.dts != AV_NOPTS_VALUE ? p.dts : when;
        if (video && key && when <= request.start) {
            points.key = when;
            keyFound = true;
        } else if (video && !keyFound) {
            if (key && when > request.start)
                break;
        } else if (video && request.junctionCodec && key &&
                   StartsAfresh(p, request.video, *request.junctionCodec)) {
            if (when < request.end) {
                points.junction = when;
                points.junctionDelay = when - decoded;
            }
            break;
        }
        // Beyond this packet no later one can show a picture before the start (or the end).
        if (video && keyFound && decoded > (request.junctionCodec ? request.end : request.start))
            break;
        av_packet_unref(packet.get());
    }
    return keyFound;
}

} // namespace

std::optional<int> StreamLengthSize(const AVStream& stream, VideoCodec codec) {
    const AVCodecParameters& parameters = *stream.codecpar;
    if (!parameters.extradata)
        return std::nullopt;
    return RecordLengthSize(codec,
                            Bytes(parameters.extradata, parameters.extradata + parameters.extradata_size));
}

std::vector<Bytes> PacketUnits(const AVPacket& packet, std::optional<int> lengthSize) {
    if (lengthSize)
        return SplitLengthPrefixed(packet.data, static_cast<size_t>(packet.size), *lengthSize);
    return SplitStartCodes(packet.data, static_cast<size_t>(packet.size));
}

CutPoints ScanCut(InputFile& input, const CutScanRequest& request) {
    CutPoints points;
    points.key = request.start;
    input.SeekBefore(request.video, request.start);
    if (!ScanFromHere(input, request, points)) {
        // The index led past the start (or there is none): read from the beginning.
        points = CutPoints{};
        input.SeekBefore(request.video, std::nullopt);
        if (!ScanFromHere(input, request, points))
            points.key = request.start;
    }
    return points;
}

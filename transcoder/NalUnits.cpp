#include "transcoder/NalUnits.h"

#include <stdexcept>

namespace {

constexpr int kH264Idr = 5;
constexpr int kH264Sps = 7;
constexpr int kH264Pps = 8;
constexpr int kH265FirstRandomAccess = 16; // BLA_W_LP
constexpr int kH265LastRandomAccess = 21;  // CRA
constexpr int kH265Vps = 32;
constexpr int kH265Pps = 34;
constexpr int kH265Cra = 21;
constexpr int kH265BlaWithLeading = 16;
// avcC: version, profile, compatibility, level, length size, then the count of sequence sets.
constexpr size_t kAvcHeader = 5;
constexpr size_t kHevcArrayCountAt = 22;
constexpr uint8_t kAvcSetCountMask = 0x1f;
constexpr uint8_t kAvcSetCountReserved = 0xe0;

uint32_t ReadBigEndian(const uint8_t* data, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | data[i];
    return value;
}

void WriteBigEndian(Bytes& out, uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Reads "count, then each set behind a 16-bit length" at `at`; moves `at` past it.
std::vector<Bytes> ReadSets(const Bytes& record, size_t& at, size_t count) {
    std::vector<Bytes> sets;
    for (size_t i = 0; i < count; ++i) {
        if (at + 2 > record.size())
            throw std::invalid_argument("configuration record cut short");
        const size_t length = ReadBigEndian(&record[at], 2);
        if (at + 2 + length > record.size())
            throw std::invalid_argument("configuration record cut short");
        sets.emplace_back(record.begin() + static_cast<long>(at + 2),
                          record.begin() + static_cast<long>(at + 2 + length));
        at += 2 + length;
    }
    return sets;
}

void WriteSets(Bytes& out, const std::vector<Bytes>& sets) {
    for (const Bytes& set : sets) {
        WriteBigEndian(out, static_cast<uint32_t>(set.size()), 2);
        out.insert(out.end(), set.begin(), set.end());
    }
}

} // namespace

std::vector<Bytes> SplitStartCodes(const uint8_t* data, size_t size) {
    std::vector<Bytes> units;
    size_t begin = size;
    for (size_t i = 0; i + 2 < size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        if (begin < size) {
            size_t end = i;
            // A four-byte start code's leading zero, and trailing zeros, belong to no unit.
            while (end > begin && data[end - 1] == 0)
                --end;
            units.emplace_back(data + begin, data + end);
        }
        begin = i + 3;
        i += 2;
    }
    if (begin < size)
        units.emplace_back(data + begin, data + size);
    return units;
}

std::vector<Bytes> SplitLengthPrefixed(const uint8_t* data, size_t size, int lengthSize) {
    std::vector<Bytes> units;
    size_t at = 0;
    while (at + static_cast<size_t>(lengthSize) <= size) {
        const size_t length = ReadBigEndian(data + at, lengthSize);
        at += static_cast<size_t>(lengthSize);
        if (length > size - at)
            break;
        units.emplace_back(data + at, data + at + length);
        at += length;
    }
    return units;
}

Bytes JoinStartCodes(const std::vector<Bytes>& units) {
    Bytes out;
    for (const Bytes& unit : units) {
        out.insert(out.end(), {0, 0, 0, 1});
        out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

Bytes JoinLengthPrefixed(const std::vector<Bytes>& units, int lengthSize) {
    Bytes out;
    for (const Bytes& unit : units) {
        WriteBigEndian(out, static_cast<uint32_t>(unit.size()), lengthSize);
        out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

int NalType(VideoCodec codec, const Bytes& unit) {
    if (unit.empty())
        return 0;
    return codec == VideoCodec::H264 ? unit[0] & 0x1f : (unit[0] >> 1) & 0x3f;
}

bool IsRandomAccess(VideoCodec codec, int nalType) {
    if (codec == VideoCodec::H264)
        return nalType == kH264Idr;
    return nalType >= kH265FirstRandomAccess && nalType <= kH265LastRandomAccess;
}

bool IsParameterSet(VideoCodec codec, int nalType) {
    if (codec == VideoCodec::H264)
        return nalType == kH264Sps || nalType == kH264Pps;
    return nalType >= kH265Vps && nalType <= kH265Pps;
}

void MarkCleanRandomAccessAsBrokenLink(Bytes& unit) {
    if (NalType(VideoCodec::H265, unit) == kH265Cra)
        unit[0] = static_cast<uint8_t>((unit[0] & 0x81) | kH265BlaWithLeading << 1);
}

std::optional<int> RecordLengthSize(VideoCodec codec, const Bytes& extradata) {
    const size_t at = codec == VideoCodec::H264 ? kAvcHeader - 1 : kHevcArrayCountAt - 1;
    if (extradata.size() <= at || extradata[0] != 1)
        return std::nullopt;
    return (extradata[at] & 3) + 1;
}

std::vector<Bytes> RecordParameterSets(VideoCodec codec, const Bytes& record) {
    std::vector<Bytes> sets;
    if (codec == VideoCodec::H264) {
        if (record.size() <= kAvcHeader)
            throw std::invalid_argument("avcC record cut short");
        size_t at = kAvcHeader + 1;
        sets = ReadSets(record, at, record[kAvcHeader] & kAvcSetCountMask);
        if (at >= record.size())
            throw std::invalid_argument("avcC record cut short");
        const size_t pictureSets = record[at++];
        for (Bytes& set : ReadSets(record, at, pictureSets))
            sets.push_back(std::move(set));
        return sets;
    }
    if (record.size() <= kHevcArrayCountAt)
        throw std::invalid_argument("hvcC record cut short");
    size_t at = kHevcArrayCountAt + 1;
    for (size_t array = 0; array < record[kHevcArrayCountAt]; ++array) {
        if (at + 3 > record.size())
            throw std::invalid_argument("hvcC record cut short");
        const size_t count = ReadBigEndian(&record[at + 1], 2);
        at += 3;
        for (Bytes& set : ReadSets(record, at, count))
            sets.push_back(std::move(set));
    }
    return sets;
}

Bytes AddToAvcRecord(const Bytes& record, const std::vector<Bytes>& parameterSets) {
    if (record.size() <= kAvcHeader || record[0] != 1)
        throw std::invalid_argument("no avcC record");
    size_t at = kAvcHeader + 1;
    std::vector<Bytes> sequence = ReadSets(record, at, record[kAvcHeader] & kAvcSetCountMask);
    if (at >= record.size())
        throw std::invalid_argument("avcC record cut short");
    const size_t pictureCount = record[at++];
    std::vector<Bytes> picture = ReadSets(record, at, pictureCount);
    for (const Bytes& set : parameterSets)
        (NalType(VideoCodec::H264, set) == kH264Sps ? sequence : picture).push_back(set);
    if (sequence.size() > kAvcSetCountMask || picture.size() > 0xff)
        throw std::invalid_argument("too many parameter sets for an avcC record");
    Bytes out(record.begin(), record.begin() + kAvcHeader);
    out.push_back(static_cast<uint8_t>(kAvcSetCountReserved | sequence.size()));
    WriteSets(out, sequence);
    out.push_back(static_cast<uint8_t>(picture.size()));
    WriteSets(out, picture);
    // The High profiles' extension (chroma format, bit depths) follows unchanged.
    out.insert(out.end(), record.begin() + static_cast<long>(at), record.end());
    return out;
}

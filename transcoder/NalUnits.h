#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The NAL units of H.264 and H.265 pictures as the containers store them: with start codes (MPEG-TS,
// an encoder's own output) or each behind a big-endian length (MP4, Matroska), and the decoder
// configuration records (avcC, hvcC) that hold an MP4's parameter sets.
using Bytes = std::vector<uint8_t>;

enum class VideoCodec { H264, H265 };

// The payloads of the NAL units in a start-code stream (start codes removed).
std::vector<Bytes> SplitStartCodes(const uint8_t* data, size_t size);
// The payloads of length-prefixed NAL units; a length that runs past the end ends the list.
std::vector<Bytes> SplitLengthPrefixed(const uint8_t* data, size_t size, int lengthSize);
// NAL units written with start codes, or each behind a big-endian length of lengthSize bytes.
Bytes JoinStartCodes(const std::vector<Bytes>& units);
Bytes JoinLengthPrefixed(const std::vector<Bytes>& units, int lengthSize);

// The NAL unit type of a payload (0 for an empty one).
int NalType(VideoCodec codec, const Bytes& unit);
// An H.264 IDR picture, or an H.265 random-access picture (IDR, CRA, BLA).
bool IsRandomAccess(VideoCodec codec, int nalType);
bool IsParameterSet(VideoCodec codec, int nalType);
// The unit turned from an H.265 clean random access into a broken link (BLA_W_LP): a decoder then
// starts afresh there and skips the pictures that referred to what came before, as a splice needs.
void MarkCleanRandomAccessAsBrokenLink(Bytes& unit);

// The configuration record's NAL length size (1, 2 or 4); no value when the extradata is no record
// (start-code parameter sets or nothing).
std::optional<int> RecordLengthSize(VideoCodec codec, const Bytes& extradata);
// The parameter sets an avcC or hvcC record holds, in their order.
std::vector<Bytes> RecordParameterSets(VideoCodec codec, const Bytes& record);
// The avcC record with more sequence and picture parameter sets: both sets of a stream whose
// pictures use two. Throws std::invalid_argument for a record it cannot read or extend.
Bytes AddToAvcRecord(const Bytes& record, const std::vector<Bytes>& parameterSets);

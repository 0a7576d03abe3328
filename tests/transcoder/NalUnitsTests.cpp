#include "transcoder/NalUnits.h"

#include <gtest/gtest.h>

namespace {

const Bytes kSps{0x67, 0x64, 0x00, 0x1e};
const Bytes kPps{0x68, 0xee, 0x3c};
const Bytes kIdr{0x65, 0x88, 0x00, 0x00, 0x01}; // holds "00 00 01" only as a length-prefixed payload

TEST(Transcoder_NalUnitsTests, StartCodesAndLengthsCarryTheSameUnits) {
    const Bytes annexB{0, 0, 0, 1, 0x67, 0x64, 0x00, 0x1e, 0, 0, 1, 0x68, 0xee, 0x3c};
    EXPECT_EQ(SplitStartCodes(annexB.data(), annexB.size()), (std::vector<Bytes>{kSps, kPps}));
    for (const int size : {1, 2, 4}) {
        const Bytes joined = JoinLengthPrefixed({kSps, kPps, kIdr}, size);
        EXPECT_EQ(SplitLengthPrefixed(joined.data(), joined.size(), size),
                  (std::vector<Bytes>{kSps, kPps, kIdr}));
    }
    // A length running past the end stops the list instead of reading beyond it.
    const Bytes cut{0, 0, 0, 9, 0x65};
    EXPECT_TRUE(SplitLengthPrefixed(cut.data(), cut.size(), 4).empty());
}

TEST(Transcoder_NalUnitsTests, TypesTellRandomAccessAndParameterSets) {
    struct Case {
        VideoCodec codec;
        uint8_t header;
        bool randomAccess;
        bool parameterSet;
    };
    for (const Case& c :
         {Case{VideoCodec::H264, 0x65, true, false}, Case{VideoCodec::H264, 0x41, false, false},
          Case{VideoCodec::H264, 0x67, false, true}, Case{VideoCodec::H265, 0x26, true, false},
          Case{VideoCodec::H265, 0x2a, true, false}, Case{VideoCodec::H265, 0x02, false, false},
          Case{VideoCodec::H265, 0x40, false, true}}) {
        const int type = NalType(c.codec, Bytes{c.header, 0x01});
        EXPECT_EQ(IsRandomAccess(c.codec, type), c.randomAccess) << int(c.header);
        EXPECT_EQ(IsParameterSet(c.codec, type), c.parameterSet) << int(c.header);
    }
    Bytes cra{0x2a, 0x01}; // CRA, layer 0, temporal id 1
    MarkCleanRandomAccessAsBrokenLink(cra);
    EXPECT_EQ(cra, (Bytes{0x20, 0x01}));
}

TEST(Transcoder_NalUnitsTests, AvcRecordTakesTheSecondSetsAndKeepsItsExtension) {
    const Bytes record{1,    0x64, 0, 0x1e, 0xff, 0xe1, 0,    4,    0x67, 0x64, 0x00,
                       0x1e, 1,    0, 3,    0x68, 0xee, 0x3c, 0xfd, 0xf8, 0xf8, 0};
    EXPECT_EQ(RecordLengthSize(VideoCodec::H264, record), 4);
    EXPECT_EQ(RecordLengthSize(VideoCodec::H264, Bytes{0, 0, 0, 1, 0x67}), std::nullopt);
    const Bytes sps1{0x67, 0x64, 0x00, 0x1e, 0x01};
    const Bytes pps1{0x68, 0xce, 0x01};
    const Bytes both = AddToAvcRecord(record, {sps1, pps1});
    EXPECT_EQ(both[5], 0xe2);
    EXPECT_EQ(RecordParameterSets(VideoCodec::H264, both), (std::vector<Bytes>{kSps, sps1, kPps, pps1}));
    EXPECT_EQ(Bytes(both.end() - 4, both.end()), (Bytes{0xfd, 0xf8, 0xf8, 0}));
    EXPECT_THROW(AddToAvcRecord(Bytes{1, 0x64, 0, 0x1e, 0xff, 0xe1, 0, 9}, {sps1}), std::invalid_argument);
}

} // namespace

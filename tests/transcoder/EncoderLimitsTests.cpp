#include "transcoder/EncoderLimits.h"

#include <gtest/gtest.h>

namespace {

TEST(Transcoder_EncoderLimitsTests, NearestValuePrefersTheLowerOnATie) {
    EXPECT_EQ(NearestValue({32000, 44100, 48000}, 22050), 32000);
    EXPECT_EQ(NearestValue({32000, 44100, 48000}, 46050), 44100);
    EXPECT_EQ(NearestValue({10, 20}, 15), 10);
    EXPECT_EQ(NearestValue({}, 7), 7);
}

TEST(Transcoder_EncoderLimitsTests, Mp3BitratesFollowTheSampleRate) {
    EXPECT_EQ(NearestValue(AcceptedAudioBitrates("libmp3lame", 22050), 224000), 160000);
    EXPECT_EQ(NearestValue(AcceptedAudioBitrates("libmp3lame", 22050), 16000), 16000);
    EXPECT_EQ(NearestValue(AcceptedAudioBitrates("libmp3lame", 44100), 16000), 32000);
    EXPECT_EQ(NearestValue(AcceptedAudioBitrates("ac3", 48000), 16000), 32000);
    EXPECT_EQ(NearestValue(AcceptedAudioBitrates("ac3", 44100), 80000), 80000);
    EXPECT_TRUE(AcceptedAudioBitrates("aac", 44100).empty());
}

TEST(Transcoder_EncoderLimitsTests, FrameSizesTheEncodersCanCode) {
    EXPECT_EQ(AcceptedFrameSize("rv20", {368, 208}), (FrameSize{368, 208}));
    EXPECT_EQ(AcceptedFrameSize("rv20", {162, 114}), (FrameSize{164, 116}));
    EXPECT_EQ(AcceptedFrameSize("rv10", {160, 112}), (FrameSize{160, 112}));
    EXPECT_EQ(AcceptedFrameSize("rv10", {360, 200}), (FrameSize{368, 208}));
    EXPECT_EQ(AcceptedFrameSize("h263", {320, 240}), (FrameSize{352, 288}));
    EXPECT_EQ(AcceptedFrameSize("mpeg4", {321, 241}), (FrameSize{322, 242}));
    EXPECT_EQ(AcceptedFrameSize("rv20", {1, 1}), (FrameSize{4, 4}));
}

} // namespace

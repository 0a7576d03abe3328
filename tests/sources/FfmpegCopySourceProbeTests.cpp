#include "sources/FfmpegCopySourceProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace {

// Two-second groups of pictures at 25 pictures a second, no extra key frames at scene changes.
const std::vector<std::string> H264Gop2 = {"-c:v",    "libx264",      "-pix_fmt",
                                           "yuv420p", "-x264-params", "keyint=50:min-keyint=50:scenecut=0"};
const std::vector<int64_t> EveryTwoSeconds = {0, 2000, 4000, 6000};

// An audio codec's delay can put the source's start a little before the first picture; within a
// picture is as made.
constexpr int64_t PictureMs = 40;

void ExpectTimesNear(const std::vector<int64_t>& got, const std::vector<int64_t>& made) {
    ASSERT_EQ(got.size(), made.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(static_cast<double>(got[i]), static_cast<double>(made[i]), PictureMs) << i;
}

std::vector<std::string> With(std::vector<std::string> codecs, const std::vector<std::string>& more) {
    codecs.insert(codecs.end(), more.begin(), more.end());
    return codecs;
}

struct ProbeCase {
    std::string name;
    std::vector<std::string> codecs;
    int sampleRate;
    std::string container;
    std::vector<int64_t> keyFramesMs;
    std::string refusal; // empty: an exact cut is possible
};

// B-frames make every key frame's decoding time earlier than its presentation time, which is the
// time reported. The MPEG-TS source starts at a non-zero time, which counts as its start.
const std::vector<ProbeCase>& Cases() {
    static const std::vector<ProbeCase> cases = {
        {"gop2.mp4", With(H264Gop2, {"-c:a", "aac"}), 48000, "mov,mp4,m4a,3gp,3g2,mj2", EveryTwoSeconds, ""},
        {"fragmented.mp4", With(H264Gop2, {"-movflags", "frag_keyframe+empty_moov"}), 0,
         "mov,mp4,m4a,3gp,3g2,mj2", EveryTwoSeconds, ""},
        {"gop2.ts", With(H264Gop2, {"-c:a", "aac", "-f", "mpegts"}), 48000, "mpegts", EveryTwoSeconds, ""},
        {"interlaced.mp4", With(H264Gop2, {"-flags", "+ildct+ilme"}), 0, "mov,mp4,m4a,3gp,3g2,mj2",
         EveryTwoSeconds, "interlaced video"},
        {"fullcolour.mp4",
         {"-c:v", "libx264", "-pix_fmt", "yuv444p", "-g", "50"},
         0,
         "mov,mp4,m4a,3gp,3g2,mj2",
         {0, 2000, 4000, 6000},
         "H.264 High 4:4:4 Predictive profile"},
        {"vp9.mkv",
         {"-c:v", "libvpx-vp9", "-g", "50", "-keyint_min", "50", "-deadline", "realtime", "-cpu-used", "8",
          "-c:a", "libopus"},
         48000,
         "matroska,webm",
         EveryTwoSeconds,
         "VP9 video"},
    };
    return cases;
}

TEST(Sources_FfmpegCopySourceProbeTests, ReadsKeyFramesAndWhetherAnExactCutIsPossible) {
    const TempDir folder;
    FfmpegCopySourceProbe probe;
    for (const ProbeCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeClip(folder, c.name, {7.0, "128x72", 25, c.sampleRate, c.codecs});
        const CopySourceFacts facts = probe.Probe(path);
        EXPECT_EQ(facts.container, c.container);
        ExpectTimesNear(facts.keyFramesMs, c.keyFramesMs);
        EXPECT_EQ(facts.exactCutRefusal, c.refusal);
        EXPECT_EQ(facts.exactCutPossible, c.refusal.empty());
        EXPECT_FALSE(facts.audioOnly);
        EXPECT_NEAR(static_cast<double>(facts.durationMs), 7000.0, 100.0);
        EXPECT_EQ(facts.bytes, static_cast<int64_t>(std::filesystem::file_size(path)));
    }
}

// A source without pictures is cut at the chosen time; a file that is no media gives no container.
TEST(Sources_FfmpegCopySourceProbeTests, AudioAloneStartsWhereChosenAndOtherFilesGiveNothing) {
    const TempDir folder;
    FfmpegCopySourceProbe probe;
    const std::string tone = MakeClip(folder, "tone.m4a", {3.0, "16x16", 1, 48000, {"-vn", "-c:a", "aac"}});
    const CopySourceFacts audio = probe.Probe(tone);
    EXPECT_TRUE(audio.audioOnly);
    EXPECT_TRUE(audio.keyFramesMs.empty());
    EXPECT_EQ(CopyCutStartMs(audio, 1500, CutMode::KeyFrames), 1500);

    EXPECT_TRUE(probe.Probe(folder.WriteFile("text.mp4", "not a video")).container.empty());
    EXPECT_TRUE(probe.Probe(folder.Folder() + "missing.mp4").container.empty());
}

} // namespace

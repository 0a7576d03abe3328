// Stream copy as the converter asks for it (-map 0 -c copy, -ss, -t, -cut exact): the key-frame cut
// starts at the key frame before the start with every stream kept; the exact cut starts at the
// picture asked for, decodes cleanly across the join and plays in a browser; a source the head cannot
// match falls back with the one warning line.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/BrowserPlay.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/StreamStarts.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "tests/transcoder/ChildRun.h"

namespace {

constexpr int kRate = 25;
constexpr int kBrowserLimitSeconds = 120;
// Every clip: 8 s of the pattern that shows its own second and picture, a key frame every 2 s.
const std::vector<std::string> kKeyEvery2s{"-g", "50", "-keyint_min", "50", "-sc_threshold", "0"};

struct Source {
    const char* name;
    std::vector<std::string> codecs;
    std::vector<std::string> expectedCodecs; // of the copy, in stream order
};

const TempDir& Clips() {
    static const TempDir folder;
    return folder;
}

std::string Make(const Source& source) {
    std::vector<std::string> codecs = source.codecs;
    codecs.insert(codecs.end(), kKeyEvery2s.begin(), kKeyEvery2s.end());
    return MakeClip(Clips(), source.name, {8.0, "320x240", kRate, 48000, codecs, ClipPicture::TimePattern});
}

// The picture number (from the clip's start) that a report's first picture shows.
int FirstPicture(const MediaReport& media) {
    return SecondShown(media.firstLeftLuma) * kRate + PictureShown(media.firstRightLuma);
}

const std::vector<std::string> kH264{"-c:v",     "libx264", "-preset", "veryfast",
                                     "-pix_fmt", "yuv420p", "-c:a",    "aac"};

class Transcoder_CopyCutTests : public ::testing::Test {
protected:
    TempDir m_dir;

    ChildResult Cut(const std::string& source, const std::string& output,
                    const std::vector<std::string>& extra) {
        std::vector<std::string> arguments{"-y", "-i", source, "-map", "0", "-c", "copy"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back(output);
        const ChildResult run = RunChild(TrencPath(), arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.output;
        return run;
    }

    // Decodes the whole output: no error in the ffmpeg command nor in the libraries' own report.
    MediaReport CheckClean(const std::string& path) {
        EXPECT_EQ(RunFfmpeg({"-xerror", "-i", path, "-f", "null", "-"}), 0) << path;
        const MediaReport media = CheckMedia(path);
        EXPECT_EQ(media.errors, 0) << path << media.openError;
        return media;
    }

    // Chromium plays each H.264 MP4 from its first picture (across the join of an exact cut) to its end.
    static void ExpectPlayedInBrowser(const std::vector<std::string>& paths) {
        const auto played = PlayInBrowser(paths, kBrowserLimitSeconds);
        for (const std::string& path : paths) {
            const std::string name = path.substr(path.rfind('/') + 1);
            EXPECT_EQ(played.count(name) ? played.at(name) : "no answer", "ended") << name;
        }
    }
};

TEST_F(Transcoder_CopyCutTests, KeyFrameCutStartsAtTheKeyFrameBeforeTheStartWithEveryStream) {
    const std::string srt = Clips().WriteFile("words.srt", "1\n00:00:01,000 --> 00:00:07,000\nHello\n\n");
    const std::vector<Source> sources{
        {"h264.mp4", kH264, {"h264", "aac"}},
        {"vp9.mkv",
         {"-i", srt, "-map", "0", "-map", "1", "-map", "2", "-c:v", "libvpx-vp9", "-deadline", "realtime",
          "-cpu-used", "8", "-c:a", "libopus", "-c:s", "srt"},
         {"vp9", "opus", "subrip"}},
        {"h264.ts", kH264, {"h264", "aac"}},
    };
    std::vector<std::string> forBrowser;
    for (const Source& source : sources) {
        SCOPED_TRACE(source.name);
        const std::string extension = std::string(source.name).substr(std::string(source.name).find('.'));
        const std::string out = (m_dir.Path() / ("key" + extension)).string();
        // 3.5 s lies after the key frame at 2 s; the cut runs to 5.5 s.
        const ChildResult run = Cut(Make(source), out, {"-ss", "00:00:03.5", "-t", "2"});
        EXPECT_NE(LastLine(run.output).find("time=3.5"), std::string::npos) << run.output;
        const MediaReport media = CheckClean(out);
        EXPECT_EQ(FirstPicture(media), 2 * kRate);
        EXPECT_NEAR(static_cast<double>(media.videoFrames), 3.5 * kRate, 1.0);
        const StreamStarts starts = ReadStreamStarts(out);
        EXPECT_EQ(starts.codecs, source.expectedCodecs);
        EXPECT_LE(std::fabs(starts.audioStart - starts.videoStart), starts.audioFrameSeconds + 1e-3);
        if (extension == ".mp4")
            forBrowser.push_back(out);
    }
    ExpectPlayedInBrowser(forBrowser);
}

TEST_F(Transcoder_CopyCutTests, ExactCutStartsAtThePictureAskedForAndDecodesAcrossTheJoin) {
    const std::vector<Source> cases{
        {"exact.mp4", kH264, {"h264", "aac"}},
        {"exact.ts", kH264, {"h264", "aac"}},
        // Open groups of pictures: the key frames after the first are no IDR pictures, and their
        // leading pictures refer to the group before.
        {"open.mp4",
         {"-c:v", "libx264", "-preset", "veryfast", "-x264-params", "open-gop=1", "-pix_fmt", "yuv420p",
          "-c:a", "aac"},
         {"h264", "aac"}},
        {"exact265.mp4",
         {"-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error", "-tag:v", "hvc1",
          "-pix_fmt", "yuv420p", "-c:a", "aac"},
         {"hevc", "aac"}},
    };
    std::vector<std::string> forBrowser;
    for (const Source& source : cases) {
        SCOPED_TRACE(source.name);
        const std::string out = (m_dir.Path() / (std::string("cut-") + source.name)).string();
        // 3.2 s is picture 80, 8 pictures after the key frame at 2 s. The cut ends at 5.4 s, before
        // pictures that refer to one after it: those are encoded again, so the end stays exact.
        const ChildResult run = Cut(Make(source), out, {"-cut", "exact", "-ss", "00:00:03.2", "-t", "2.2"});
        EXPECT_EQ(run.output.find("Warning"), std::string::npos) << run.output;
        const MediaReport media = CheckClean(out);
        EXPECT_EQ(FirstPicture(media), 80);
        EXPECT_NEAR(static_cast<double>(media.videoFrames), 2.2 * kRate, 1.0);
        const StreamStarts starts = ReadStreamStarts(out);
        EXPECT_EQ(starts.codecs, source.expectedCodecs);
        EXPECT_LE(std::fabs(starts.audioStart - starts.videoStart), starts.audioFrameSeconds + 1e-3);
        if (source.expectedCodecs.front() == "h264" && out.ends_with(".mp4"))
            forBrowser.push_back(out);
    }
    ExpectPlayedInBrowser(forBrowser);
}

TEST_F(Transcoder_CopyCutTests, UnmatchableSourceFallsBackToTheKeyFrameWithTheWarningLine) {
    const Source source{"h264-444.mp4",
                        {"-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv444p", "-c:a", "aac"},
                        {"h264", "aac"}};
    const std::string out = (m_dir.Path() / "fallback.mp4").string();
    const ChildResult run = Cut(Make(source), out, {"-cut", "exact", "-ss", "00:00:03.2", "-t", "2"});
    EXPECT_NE(
        run.output.find("\nWarning: exact cut not possible (H.264 High 4:4:4 Predictive profile); the cut "
                        "starts at the key frame at 00:00:02.000\n"),
        std::string::npos)
        << run.output;
    EXPECT_EQ(FirstPicture(CheckClean(out)), 2 * kRate);
}

TEST_F(Transcoder_CopyCutTests, WhatTheOutputCannotTakeIsNamedAndSoundAloneIsCutAtTheStart) {
    const std::string srt = Clips().WriteFile("words.srt", "1\n00:00:01,000 --> 00:00:07,000\nHello\n\n");
    const std::string mkv = Make({"subtitled.mkv",
                                  {"-i", srt, "-map", "0", "-map", "1", "-map", "2", "-c:v", "libx264",
                                   "-preset", "ultrafast", "-c:a", "aac", "-c:s", "srt"},
                                  {"h264", "aac"}});
    const std::string toMp4 = (m_dir.Path() / "subtitled.mp4").string();
    const ChildResult run = Cut(mkv, toMp4, {"-ss", "00:00:03", "-t", "2"});
    EXPECT_NE(
        run.output.find("\nWarning: stream #0:2 (subrip subtitle) cannot be held by mp4 and is left out\n"),
        std::string::npos)
        << run.output;
    EXPECT_EQ(ReadStreamStarts(toMp4).codecs,
              (std::vector<std::string>{"h264", "aac"})); // the subtitle left out

    const std::string sound = (m_dir.Path() / "sound.m4a").string();
    ASSERT_EQ(RunFfmpeg({"-f", "lavfi", "-i", "sine=sample_rate=48000", "-c:a", "aac", "-t", "8", sound}), 0);
    const std::string soundCut = (m_dir.Path() / "sound-cut.m4a").string();
    Cut(sound, soundCut, {"-cut", "exact", "-ss", "00:00:03.2", "-t", "2"});
    EXPECT_NEAR(CheckClean(soundCut).AudioSeconds(), 2.0, 0.025);

    // -map 0 copies: an encoder beside it is refused with a message, and nothing is written.
    const std::string refused = (m_dir.Path() / "refused.mp4").string();
    const ChildResult encode =
        RunChild(TrencPath(), {"-y", "-i", mkv, "-map", "0", "-c:v", "libx264", refused});
    EXPECT_EQ(encode.exitStatus, 1);
    EXPECT_EQ(LastLine(encode.output), "Error: -map 0 copies the streams: it goes with -c copy");
    EXPECT_FALSE(std::filesystem::exists(refused));
}

} // namespace

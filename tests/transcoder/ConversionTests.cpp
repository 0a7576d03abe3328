// trenc and rtrenc run as real child processes: cuts, presets, scripts, errors and the console output.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "convert/ConvertingWindowLogic.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "tests/transcoder/ChildRun.h"
#include "tests/transcoder/TestClips.h"

namespace {

// The whole seconds the progress window reads from a status line of an RM or an MP3 conversion.
std::optional<int32_t> ProgressSeconds(const std::string& line, bool audioOnly) {
    return audioOnly ? OutputSeconds(line, "-acodec mp3 -vn", ".mp3")
                     : OutputSeconds(line, "-vcodec rv20", ".rm");
}

class Transcoder_ConversionTests : public ::testing::Test {
protected:
    TempDir m_dir;
    std::string Out(const std::string& name) const { return m_dir.Path() / name; }
};

TEST_F(Transcoder_ConversionTests, TrimsAtStartMiddleAndEndAreExactToThePicture) {
    struct Cut {
        const char* start;
        const char* length;
        double expectedSeconds;
        int firstSecond;
        int firstPicture;
    };
    // The clip is 4 s long; the last cut asks for more than remains.
    for (const Cut& cut :
         {Cut{"0", "1.5", 1.5, 0, 0}, Cut{"00:00:01.48", "2", 2.0, 1, 12}, Cut{"00:00:03", "5", 1.0, 3, 0}}) {
        SCOPED_TRACE(std::string("-ss ") + cut.start + " -t " + cut.length);
        const std::string output = Out("cut.avi");
        const auto run =
            RunChild(TrencPath(), {"-y", "-i", TestClips::FourSeconds(), "-vcodec", "mpeg4", "-b", "2000",
                                   "-acodec", "pcm_s16le", "-ss", cut.start, "-t", cut.length, output});
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        const MediaReport media = CheckMedia(output);
        EXPECT_EQ(media.errors, 0);
        EXPECT_NEAR(static_cast<double>(media.videoFrames), cut.expectedSeconds * 25, 1.0);
        EXPECT_NEAR(media.AudioSeconds(), cut.expectedSeconds, 0.03);
        EXPECT_EQ(SecondShown(media.firstLeftLuma), cut.firstSecond);
        EXPECT_EQ(PictureShown(media.firstRightLuma), cut.firstPicture) << media.firstRightLuma;
    }
}

TEST_F(Transcoder_ConversionTests, DisplayAspectIsStoredWhereTheContainerCarriesIt) {
    for (const auto& [aspect, value] : {std::pair{"16:9", 16.0 / 9.0}, std::pair{"4:3", 4.0 / 3.0}}) {
        const std::string output = Out("aspect.avi");
        const auto run = RunChild(TrencPath(), {"-y", "-i", TestClips::Short(), "-vcodec", "mpeg4", "-s",
                                                "368x208", "-aspect", aspect, output});
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        EXPECT_NEAR(CheckMedia(output).DisplayAspect(), value, 0.01) << aspect;
    }
}

TEST_F(Transcoder_ConversionTests, SoundStaysWithThePicturesAcrossAGapInTheSourcesAudio) {
    // 4 s of pictures; the audio packets of 1.5-2.5 s are missing while the later ones keep their times.
    const std::string source =
        MakeClip(m_dir, "gap.mkv",
                 {4.0,
                  "160x120",
                  25,
                  44100,
                  {"-af", "aselect='not(between(t,1.5,2.5))'", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    for (const auto& [name, arguments] :
         {std::pair{"gap.rm", std::vector<std::string>{"-vcodec", "rv20", "-s", "160x112"}},
          std::pair{"gap.mp3", std::vector<std::string>{"-acodec", "mp3", "-vn"}}}) {
        SCOPED_TRACE(name);
        std::vector<std::string> line{"-y", "-i", source};
        line.insert(line.end(), arguments.begin(), arguments.end());
        line.push_back(Out(name));
        const auto run = RunChild(TrencPath(), line);
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        const MediaReport media = CheckMedia(Out(name));
        EXPECT_EQ(media.errors, 0);
        // The sound ends where the pictures end (4 s): the gap became silence, nothing moved early.
        EXPECT_NEAR(media.AudioSeconds(), media.hasVideo ? static_cast<double>(media.videoFrames) / 25 : 4.0,
                    0.05);
    }
}

TEST_F(Transcoder_ConversionTests, TargetPresetsSetCodecsSizesAndRates) {
    struct Case {
        const char* target;
        const char* extension;
        const char* video;
        int width, height;
        double fps;
        const char* audio;
        int sampleRate;
    };
    for (const Case& c : {Case{"pal-vcd", ".mpg", "mpeg1video", 352, 288, 25, "mp2", 44100},
                          Case{"ntsc-svcd", ".mpg", "mpeg2video", 480, 480, 30000.0 / 1001, "mp2", 44100},
                          Case{"dvd", ".vob", "mpeg2video", 720, 576, 25, "ac3", 48000},
                          Case{"pal-dv", ".dv", "dvvideo", 720, 576, 25, "pcm_s16le", 48000}}) {
        SCOPED_TRACE(c.target);
        const std::string output = Out(std::string("target") + c.extension);
        const auto run = RunChild(TrencPath(), {"-y", "-i", TestClips::Short(), "-target", c.target, output});
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        const MediaReport media = CheckMedia(output);
        EXPECT_EQ(media.errors, 0);
        EXPECT_EQ(media.videoCodec, c.video);
        EXPECT_EQ(media.width, c.width);
        EXPECT_EQ(media.height, c.height);
        EXPECT_NEAR(static_cast<double>(media.videoFrames), c.fps * 2.0, 2.0);
        EXPECT_EQ(media.audioCodec, c.audio);
        EXPECT_EQ(media.sampleRate, c.sampleRate);
        EXPECT_EQ(media.channels, 2);
    }
}

TEST_F(Transcoder_ConversionTests, ScriptInputIsConvertedToTheScriptsConstantRate) {
    const std::string script =
        m_dir.WriteFile("VideoFile.avs", "DirectShowSource(\"" + TestClips::Short() +
                                             "\", fps=29.9700898503294, convertfps=true)\r\n");
    ASSERT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(RtrencPath())))
        << "rtrenc must be a file of its own, so that its process carries that name";
    const std::string output = Out("script.avi");
    auto run = RunChild(RtrencPath(), {"-y", "-i", script, "-vcodec", "mpeg4", output});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    MediaReport media = CheckMedia(output);
    EXPECT_EQ(media.errors, 0);
    EXPECT_NEAR(static_cast<double>(media.videoFrames), 2.0 * 30000 / 1001, 2.0);
    EXPECT_NEAR(media.AudioSeconds(), 2.0, 0.1);

    // Other video options apply to the converted stream; trenc reads scripts too.
    run = RunChild(TrencPath(), {"-y", "-i", script, "-vcodec", "rv20", "-r", "15", "-s", "160x112",
                                 TestClips::Folder().Path() / "script.rm"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    media = CheckMedia(TestClips::Folder().Path() / "script.rm");
    EXPECT_NEAR(static_cast<double>(media.videoFrames), 30.0, 2.0);
    EXPECT_EQ(media.width, 160);
}

TEST_F(Transcoder_ConversionTests, ScriptPathMayHoldQuotationMarks) {
    const std::string source = Out("say \"hi\".avi");
    std::filesystem::copy_file(TestClips::Short(), source);
    const std::string script = m_dir.WriteFile(
        "q.avs", "DirectShowSource(\"\"\"" + source + "\"\"\", fps=29.9700898503294, convertfps=true)\r\n");
    const auto run = RunChild(RtrencPath(), {"-y", "-i", script, "-acodec", "mp3", "-vn", Out("q.mp3")});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(CheckMedia(Out("q.mp3")).errors, 0);
}

TEST_F(Transcoder_ConversionTests, StatusLinesReadToTheRightSecond) {
    auto run = RunChild(TrencPath(), {"-y", "-i", TestClips::FourSeconds(), "-vcodec", "rv20", "-s",
                                      "160x112", "-t", "3", Out("status.rm")});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    std::string last = LastLine(run.output);
    EXPECT_EQ(last.rfind("frame=", 0), 0u) << last;
    EXPECT_EQ(ProgressSeconds(last, false), 3) << last;
    EXPECT_EQ(run.output.back(), '\n');

    run = RunChild(TrencPath(), {"-y", "-i", TestClips::FourSeconds(), "-acodec", "mp3", "-vn", "-t", "2",
                                 Out("status.mp3")});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    last = LastLine(run.output);
    EXPECT_EQ(last.rfind("size=", 0), 0u) << last;
    EXPECT_EQ(ProgressSeconds(last, true), 2) << last;
}

TEST_F(Transcoder_ConversionTests, MistakesEndWithOneLineAndNoOutputFile) {
    const std::string output = Out("never.rm");
    const std::vector<std::vector<std::string>> mistakes{
        {"-y", "-i", TestClips::Short(), "-frobnicate", output},
        {"-y", "-i", TestClips::Short(), output, "-ab"},
        {"-y", "-i", TestClips::Short(), "-vcodec", "nosuchcodec", output},
        {"-y", "-i", TestClips::Short(), "-acodec", "nosuchcodec", output},
        {"-y", "-i", TestClips::Short(), "-vcodec", "mp3", output},
        {"-y", "-i", TestClips::Short(), "-f", "nosuchformat", output},
        {"-y", "-i", Out("missing.avi"), output},
        {"-y", "-i", m_dir.WriteFile("empty.avi", ""), output},
        {"-y", "-i", m_dir.WriteFile("text.avi", "just some words, no media at all\n"), output},
        {"-y", "-i", m_dir.WriteFile("bad.avs", "Import(\"x.avs\")\r\n"), output},
        // Options of the modern outputs that this output cannot take, and a graph that would read a file.
        {"-y", "-i", TestClips::Short(), "-vf", "movie=/etc/passwd", output},
        {"-y", "-i", TestClips::Short(), "-vf", "scale=64:48[x];[x]null", output},
        {"-y", "-i", TestClips::Short(), "-tag:v", "hvc1", output},
        {"-y", "-i", TestClips::Short(), "-movflags", "+faststart", output},
        {"-y", "-i", TestClips::Short(), "-vcodec", "rv20", "-pix_fmt", "yuv444p", output},
    };
    for (const auto& arguments : mistakes) {
        const auto run = RunChild(TrencPath(), arguments);
        EXPECT_EQ(run.exitStatus, 1) << run.output;
        EXPECT_EQ(run.output.find("Error: "), run.output.rfind("Error: ")) << run.output;
        EXPECT_NE(LastLine(run.output).find("Error: "), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(output)) << run.output;
    }
}

TEST_F(Transcoder_ConversionTests, ExistingOutputNeedsOverwrite) {
    const std::string output = m_dir.WriteFile("taken.mp3", "keep me");
    auto run = RunChild(TrencPath(), {"-i", TestClips::Short(), "-acodec", "mp3", "-vn", output});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(TempDir::ReadFile(output), "keep me");
    run = RunChild(TrencPath(), {"-y", "-i", TestClips::Short(), "-acodec", "mp3", "-vn", output});
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(CheckMedia(output).audioCodec, "mp3");
}

TEST_F(Transcoder_ConversionTests, TheSourceIsNeverTheOutput) {
    const std::string source = Out("source.mp3");
    std::filesystem::copy_file(TestClips::Short(), source);
    const std::string before = TempDir::ReadFile(source);
    std::filesystem::create_directory(Out("sub"));
    std::filesystem::create_hard_link(source, Out("hardlink.mp3"));
    std::filesystem::create_symlink(source, Out("symlink.mp3"));
    for (const std::string& spelling :
         {source, Out("sub/../source.mp3"), Out("./source.mp3"), Out("hardlink.mp3"), Out("symlink.mp3")}) {
        const auto run = RunChild(TrencPath(), {"-y", "-i", source, "-acodec", "mp3", "-vn", spelling});
        EXPECT_EQ(run.exitStatus, 1) << spelling << run.output;
        EXPECT_NE(run.output.find("is the input file"), std::string::npos) << run.output;
    }
    // Through a script the named source is protected as well as the script itself.
    const std::string script = m_dir.WriteFile("s.avs", "DirectShowSource(\"" + source +
                                                            "\", fps=29.9700898503294, convertfps=true)\r\n");
    for (const std::string& target : {source, script}) {
        const auto run =
            RunChild(RtrencPath(), {"-y", "-i", script, "-acodec", "mp3", "-vn", "-f", "mp3", target});
        EXPECT_EQ(run.exitStatus, 1) << run.output;
    }
    EXPECT_EQ(TempDir::ReadFile(source), before);
}

TEST_F(Transcoder_ConversionTests, TerminationFinishesTheFileAndFails) {
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string output = Out("stopped.rm");
        bool sent = false;
        const auto run = RunChild(
            TrencPath(), {"-y", "-i", TestClips::FourMinutes(), "-vcodec", "rv20", "-s", "160x112", output},
            300, [&](int pid, const std::string& soFar) {
                // Stop once real progress has been reported twice.
                size_t lines = 0;
                for (size_t at = soFar.find("frame="); at != std::string::npos;
                     at = soFar.find("frame=", at + 1))
                    ++lines;
                if (!sent && lines >= 2) {
                    ::kill(pid, signal);
                    sent = true;
                }
            });
        ASSERT_TRUE(sent);
        ASSERT_TRUE(run.exited) << run.output;
        EXPECT_NE(run.exitStatus, 0);
        EXPECT_NE(LastLine(run.output).find("stopped"), std::string::npos) << LastLine(run.output);
        const MediaReport media = CheckMedia(output);
        EXPECT_TRUE(media.opened);
        EXPECT_EQ(media.errors, 0);
        EXPECT_GT(media.videoFrames, 0);
        EXPECT_LT(media.videoFrames, 240 * 25);
    }
}

// The worked example's command line on a four-minute clip.
TEST_F(Transcoder_ConversionTests, WorkedExampleOnAFourMinuteClip) {
    const std::string output = Out("party.rm");
    const auto run = RunChild(TrencPath(), {"-y",      "-i",       TestClips::FourMinutes(),
                                            "-vcodec", "rv20",     "-b",
                                            "512",     "-s",       "320x240",
                                            "-r",      "25",       "-aspect",
                                            "4:3",     "-ab",      "64",
                                            "-vol",    "100",      "-ac",
                                            "2",       "-ar",      "44100",
                                            "-ss",     "00:01:10", "-t",
                                            "110",     output},
                              900);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(ProgressSeconds(LastLine(run.output), false), 110);
    const MediaReport media = CheckMedia(output);
    EXPECT_EQ(media.format, "rm");
    EXPECT_EQ(media.errors, 0);
    EXPECT_EQ(media.videoCodec, "rv20");
    EXPECT_EQ(media.width, 320);
    EXPECT_EQ(media.height, 240);
    EXPECT_NEAR(media.DisplayAspect(), 4.0 / 3.0, 0.001);
    EXPECT_EQ(media.videoFrames, 110 * 25);
    EXPECT_EQ(media.audioCodec, "ac3");
    EXPECT_EQ(media.sampleRate, 44100);
    EXPECT_EQ(media.channels, 2);
    EXPECT_NEAR(media.AudioSeconds(), 110.0, 0.04);
    // 00:01:10 is second 70 of the pattern (70 mod 8 = 6), its first picture.
    EXPECT_EQ(SecondShown(media.firstLeftLuma), 70 % 8);
    EXPECT_EQ(PictureShown(media.firstRightLuma), 0);
}

} // namespace

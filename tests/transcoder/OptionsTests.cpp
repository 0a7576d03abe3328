#include "transcoder/Options.h"

#include <gtest/gtest.h>

#include "transcoder/TargetPreset.h"

namespace {

TranscodeOptions Parse(std::vector<std::string> arguments) {
    return ParseOptions(arguments);
}

TEST(Transcoder_OptionsTests, ReadsTheWorkedExampleWithTheOldMeanings) {
    const auto options =
        Parse({"-y", "-i",  "in put.avi", "-vcodec", "rv20",     "-b", "512",  "-s",    "320x240",
               "-r", "25",  "-aspect",    "4:3",     "-ab",      "64", "-vol", "100",   "-ac",
               "2",  "-ar", "44100",      "-ss",     "00:01:10", "-t", "110",  "out.rm"});
    EXPECT_TRUE(options.overwrite);
    EXPECT_EQ(options.input, "in put.avi");
    EXPECT_EQ(options.output, "out.rm");
    EXPECT_EQ(options.videoCodec, "rv20");
    EXPECT_EQ(options.videoBitrate, 512000);
    EXPECT_EQ(options.frameSize, (FrameSize{320, 240}));
    EXPECT_EQ(options.frameRate, (Rational{25, 1}));
    EXPECT_EQ(options.displayAspect, (Rational{4, 3}));
    EXPECT_EQ(options.audioBitrate, 64000);
    EXPECT_EQ(options.volume, 100);
    EXPECT_EQ(options.channels, 2);
    EXPECT_EQ(options.sampleRate, 44100);
    EXPECT_EQ(options.startMicroseconds, 70000000);
    EXPECT_EQ(options.durationMicroseconds, 110000000);
}

TEST(Transcoder_OptionsTests, OptionsMayComeInAnyOrder) {
    const auto options = Parse({"out.mp3", "-ar", "22050", "-acodec", "mp3", "-vn", "-i", "in.avi"});
    EXPECT_EQ(options.output, "out.mp3");
    EXPECT_EQ(options.input, "in.avi");
    EXPECT_TRUE(options.noVideo);
    EXPECT_FALSE(options.overwrite);
}

TEST(Transcoder_OptionsTests, BitratesArePlainKilobitsOrSuffixed) {
    EXPECT_EQ(ParseBitrate("-b", "768"), 768000);
    EXPECT_EQ(ParseBitrate("-b", "768k"), 768000);
    EXPECT_EQ(ParseBitrate("-b", "1.5M"), 1500000);
    EXPECT_EQ(ParseBitrate("-ab", "22.5"), 22500);
    for (const char* bad : {"", "k", "-5", "0", "12x", "1..2"})
        EXPECT_THROW(ParseBitrate("-b", bad), OptionError) << bad;
}

TEST(Transcoder_OptionsTests, FrameRatesAreTakenExactlyAsWritten) {
    EXPECT_EQ(ParseFrameRate("-r", "14.985"), (Rational{2997, 200}));
    EXPECT_EQ(ParseFrameRate("-r", "23.967"), (Rational{23967, 1000}));
    EXPECT_EQ(ParseFrameRate("-r", "29.97"), (Rational{2997, 100}));
    EXPECT_EQ(ParseFrameRate("-r", "30000/1001"), (Rational{30000, 1001}));
    EXPECT_EQ(ParseFrameRate("-r", "ntsc"), (Rational{30000, 1001}));
    for (const char* bad : {"0", "abc", "25/0", "-25", ""})
        EXPECT_THROW(ParseFrameRate("-r", bad), OptionError) << bad;
}

TEST(Transcoder_OptionsTests, SizesAndAspects) {
    EXPECT_EQ(ParseFrameSize("-s", "368x208"), (FrameSize{368, 208}));
    EXPECT_EQ(ParseFrameSize("-s", "qcif"), (FrameSize{176, 144}));
    EXPECT_EQ(ParseFrameSize("-s", "vga"), (FrameSize{640, 480}));
    for (const char* bad : {"320", "320x", "x240", "0x240", "320x240x1", "huge"})
        EXPECT_THROW(ParseFrameSize("-s", bad), OptionError) << bad;
    EXPECT_EQ(ParseAspect("-aspect", "16:9"), (Rational{16, 9}));
    EXPECT_EQ(ParseAspect("-aspect", "1.3333"), (Rational{13333, 10000}));
    EXPECT_THROW(ParseAspect("-aspect", "4:0"), OptionError);
}

TEST(Transcoder_OptionsTests, TimesInSecondsOrClockForm) {
    EXPECT_EQ(ParseTimeMicroseconds("-ss", "00:01:10"), 70000000);
    EXPECT_EQ(ParseTimeMicroseconds("-ss", "01:00:00.250"), 3600250000);
    EXPECT_EQ(ParseTimeMicroseconds("-t", "110"), 110000000);
    EXPECT_EQ(ParseTimeMicroseconds("-t", "1.5"), 1500000);
    EXPECT_EQ(ParseTimeMicroseconds("-t", "0"), 0);
    for (const char* bad : {"", "1:2:3:4", "aa:00:00", "-1", "00:00:xx"})
        EXPECT_THROW(ParseTimeMicroseconds("-ss", bad), OptionError) << bad;
}

TEST(Transcoder_OptionsTests, ModernOutputOptionsInFfmpegSpelling) {
    const auto options =
        Parse({"-i",        "in.mov",  "-c:v",      "libx265",
               "-crf",      "28",      "-maxrate",  "2500k",
               "-bufsize",  "5000k",   "-preset",   "medium",
               "-pix_fmt",  "yuv420p", "-vf",       "scale=1280:720:force_original_aspect_ratio=decrease",
               "-tag:v",    "hvc1",    "-movflags", "+faststart",
               "-cpu-used", "4",       "-c:a",      "aac",
               "out.mp4"});
    EXPECT_EQ(options.videoCodec, "libx265");
    EXPECT_EQ(options.audioCodec, "aac");
    EXPECT_EQ(options.constantQuality, 28);
    EXPECT_EQ(options.maxRate, 2500000);
    EXPECT_EQ(options.bufferSize, 5000000);
    EXPECT_EQ(options.preset, "medium");
    EXPECT_EQ(options.pixelFormat, "yuv420p");
    EXPECT_EQ(options.videoFilter, "scale=1280:720:force_original_aspect_ratio=decrease");
    EXPECT_EQ(options.videoTag, "hvc1");
    EXPECT_EQ(options.movFlags, "+faststart");
    EXPECT_EQ(options.cpuUsed, 4);
    // Names never carry option lists of their own; a tag is four letters; quality has a range.
    for (const auto& [option, value] : {std::pair{"-preset", "fast:x264opts=1"}, std::pair{"-tag:v", "hvc"},
                                        std::pair{"-crf", "64"}, std::pair{"-pix_fmt", "a=b"}})
        EXPECT_THROW(Parse({"-i", "in.mov", option, value, "out.mp4"}), OptionError)
            << option << " " << value;
}

TEST(Transcoder_OptionsTests, StreamCopyLineAsTheConverterWritesIt) {
    const auto exact = Parse({"-y", "-i", "in.mp4", "-map", "0", "-c", "copy", "-cut", "exact", "-ss",
                              "00:05:02", "-t", "30", "out.mp4"});
    EXPECT_TRUE(exact.mapAll);
    EXPECT_EQ(exact.videoCodec, "copy");
    EXPECT_EQ(exact.audioCodec, "copy");
    EXPECT_EQ(exact.subtitleCodec, "copy");
    EXPECT_EQ(exact.cutMode, CutMode::Exact);
    EXPECT_EQ(Parse({"-i", "a.ts", "-cut", "keyframe", "b.ts"}).cutMode, CutMode::Keyframe);
    EXPECT_EQ(Parse({"-i", "a.ts", "b.ts"}).cutMode, CutMode::Keyframe);
    EXPECT_EQ(Parse({"-i", "a.mkv", "-scodec", "copy", "b.mkv"}).subtitleCodec, "copy");
    for (const auto& [option, value] :
         {std::pair{"-map", "0:v"}, std::pair{"-map", "1"}, std::pair{"-cut", "smart"}})
        EXPECT_THROW(Parse({"-i", "a.mp4", option, value, "b.mp4"}), OptionError) << option << " " << value;
}

TEST(Transcoder_OptionsTests, MistakesAreReportedByName) {
    auto messageOf = [](std::vector<std::string> arguments) {
        try {
            ParseOptions(arguments);
        } catch (const OptionError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf({"-i", "a.avi", "-bogus", "b.rm"}), "Unrecognized option '-bogus'");
    EXPECT_EQ(messageOf({"-i", "a.avi", "b.rm", "-ab"}), "Missing argument for option '-ab'");
    EXPECT_EQ(messageOf({"-i", "a.avi", "-vol", "loud", "b.rm"}), "Invalid value 'loud' for option '-vol'");
    EXPECT_EQ(messageOf({"-i", "a.avi", "b.rm", "c.rm"}), "Only one output file can be given: 'c.rm'");
    EXPECT_NE(messageOf({"b.rm"}).find("No input file"), std::string::npos);
    EXPECT_NE(messageOf({"-i", "a.avi"}).find("No output file"), std::string::npos);
    EXPECT_NE(messageOf({"-i", "a.avi", "-target", "pal-vhs", "b.mpg"}).find("Unknown target"),
              std::string::npos);
}

TEST(Transcoder_TargetPresetTests, PrefixOrInputRateChoosesTheNorm) {
    const auto vcd = ResolveTarget("ntsc-vcd", std::nullopt);
    EXPECT_EQ(vcd.format, "vcd");
    EXPECT_EQ(vcd.videoCodec, "mpeg1video");
    EXPECT_EQ(vcd.size, (FrameSize{352, 240}));
    EXPECT_EQ(vcd.rate, (Rational{30000, 1001}));
    EXPECT_EQ(vcd.videoBitrate, 1150000);
    EXPECT_EQ(ResolveTarget("dvd", Rational{25, 1}).size, (FrameSize{720, 576}));
    EXPECT_EQ(ResolveTarget("svcd", Rational{30000, 1001}).size, (FrameSize{480, 480}));
    EXPECT_EQ(ResolveTarget("film-dvd", std::nullopt).rate, (Rational{24000, 1001}));
    EXPECT_EQ(ResolveTarget("ntsc-dv", std::nullopt).pixelFormat, "yuv411p");
    EXPECT_EQ(ResolveTarget("pal-dv50", std::nullopt).pixelFormat, "yuv422p");
    EXPECT_THROW(ResolveTarget("dvd", Rational{15, 1}), OptionError);
}

TEST(Transcoder_TargetPresetTests, ExplicitOptionsWinOverThePreset) {
    auto options = ParseOptions({"-i", "a.avi", "-target", "pal-dvd", "-ab", "192", "b.mpg"});
    ApplyTarget(ResolveTarget(*options.target, std::nullopt), options);
    EXPECT_EQ(options.audioBitrate, 192000);
    EXPECT_EQ(options.videoCodec, "mpeg2video");
    EXPECT_EQ(options.sampleRate, 48000);
    EXPECT_EQ(options.format, "dvd");
}

} // namespace

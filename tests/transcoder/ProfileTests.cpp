// Every built-in profile of both output types, and every value of the eight option lists, as the
// converter passes them, applied to a clip with video and stereo audio.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/common/MediaCheck.h"
#include "tests/transcoder/ChildRun.h"
#include "tests/transcoder/TestClips.h"

namespace {

constexpr double kClipSeconds = 2.0;

// The six profile-controlled values plus aspect and volume, as texts of the option lists.
struct Choice {
    std::string size = "320x240";
    std::string rate = "15";
    std::string videoBitrate = "768";
    std::string aspect = "4:3";
    std::string audioBitrate = "128";
    std::string volume = "200";
    std::string channels = "2";
    std::string sampleRate = "44100";
};

std::vector<std::string> RmArguments(const Choice& c) {
    return {"-vcodec", "rv20",   "-b",      c.videoBitrate, "-s",  c.size,
            "-r",      c.rate,   "-aspect", c.aspect,       "-ab", c.audioBitrate,
            "-vol",    c.volume, "-ac",     c.channels,     "-ar", c.sampleRate};
}

std::vector<std::string> Mp3Arguments(const Choice& c) {
    return {"-acodec", "mp3", "-vn",      "-ab", c.audioBitrate, "-vol",
            c.volume,  "-ac", c.channels, "-ar", c.sampleRate};
}

int Nearest(const std::vector<int>& accepted, int asked) {
    int best = accepted.front();
    for (int value : accepted)
        if (std::abs(value - asked) < std::abs(best - asked))
            best = value;
    return best;
}

struct Outcome {
    ChildResult run;
    MediaReport media;
};

Outcome Convert(const std::vector<std::string>& options, const std::string& extension) {
    const std::string output = TestClips::Folder().Path() / ("profile" + extension);
    std::vector<std::string> arguments{"-y", "-i", TestClips::Short()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(output);
    Outcome outcome{RunChild(TrencPath(), arguments), {}};
    outcome.media = CheckMedia(output);
    return outcome;
}

std::string Describe(const std::vector<std::string>& options) {
    std::string text;
    for (const auto& option : options)
        text += " " + option;
    return text;
}

void ExpectRmFile(const Choice& choice) {
    const auto options = RmArguments(choice);
    SCOPED_TRACE(Describe(options));
    const Outcome outcome = Convert(options, ".rm");
    ASSERT_TRUE(outcome.run.exited) << outcome.run.output;
    ASSERT_EQ(outcome.run.exitStatus, 0) << outcome.run.output;
    const MediaReport& media = outcome.media;
    ASSERT_TRUE(media.opened) << media.openError;
    EXPECT_EQ(media.errors, 0);
    EXPECT_EQ(media.videoCodec, "rv20");
    EXPECT_EQ(std::to_string(media.width) + "x" + std::to_string(media.height), choice.size);
    const double rate = std::stod(choice.rate);
    EXPECT_NEAR(static_cast<double>(media.videoFrames), rate * kClipSeconds, 2.0);
    // AC-3, RealMedia's audio, takes 32000, 44100 and 48000 Hz; another rate is announced.
    const int asked = std::stoi(choice.sampleRate);
    const int used = Nearest({32000, 44100, 48000}, asked);
    EXPECT_EQ(media.audioCodec, "ac3");
    EXPECT_EQ(media.sampleRate, used);
    EXPECT_EQ(media.channels, std::stoi(choice.channels));
    EXPECT_NEAR(media.AudioSeconds(), kClipSeconds, 0.1);
    if (used != asked) {
        EXPECT_NE(outcome.run.output.find("Warning: sample rate " + choice.sampleRate +
                                          " Hz is not accepted by ac3; "
                                          "using " +
                                          std::to_string(used) + " Hz"),
                  std::string::npos)
            << outcome.run.output;
    }
    // RealMedia stores no aspect: an aspect other than the picture's own is announced.
    const double aspect = choice.aspect == "16:9" ? 16.0 / 9.0 : 4.0 / 3.0;
    const double picture = static_cast<double>(media.width) / media.height;
    if (std::fabs(aspect - picture) > 0.01) {
        EXPECT_NE(outcome.run.output.find("Warning: display aspect " + choice.aspect), std::string::npos);
    } else {
        EXPECT_NEAR(media.DisplayAspect(), aspect, 0.01);
    }
}

void ExpectMp3File(const Choice& choice) {
    const auto options = Mp3Arguments(choice);
    SCOPED_TRACE(Describe(options));
    const Outcome outcome = Convert(options, ".mp3");
    ASSERT_TRUE(outcome.run.exited) << outcome.run.output;
    ASSERT_EQ(outcome.run.exitStatus, 0) << outcome.run.output;
    const MediaReport& media = outcome.media;
    ASSERT_TRUE(media.opened) << media.openError;
    EXPECT_EQ(media.errors, 0);
    EXPECT_FALSE(media.hasVideo);
    EXPECT_EQ(media.audioCodec, "mp3");
    EXPECT_EQ(media.sampleRate, std::stoi(choice.sampleRate));
    EXPECT_EQ(media.channels, std::stoi(choice.channels));
    EXPECT_NEAR(media.AudioSeconds(), kClipSeconds, 0.1);
    // Below 32 kHz MP3 tops out at 160 kbit/s.
    if (std::stoi(choice.sampleRate) < 32000 && std::stoi(choice.audioBitrate) > 160) {
        EXPECT_NE(outcome.run.output.find("Warning: audio bitrate " + choice.audioBitrate),
                  std::string::npos);
    }
}

Choice FromProfile(std::vector<std::string> values) {
    Choice choice;
    choice.size = values[0];
    choice.rate = values[1];
    choice.videoBitrate = values[2];
    choice.audioBitrate = values[3];
    choice.channels = values[4];
    choice.sampleRate = values[5];
    return choice;
}

// Low, Acceptable, Normal, Excellent and Superb Quality of each output type.
const std::vector<std::vector<std::string>> kRmProfiles{{"320x240", "14.985", "256", "48", "1", "22050"},
                                                        {"320x240", "14.985", "512", "80", "2", "32000"},
                                                        {"320x240", "15", "768", "128", "2", "44100"},
                                                        {"320x240", "15", "1000", "192", "2", "44100"},
                                                        {"320x240", "15", "1500", "224", "2", "48000"}};
const std::vector<std::vector<std::string>> kMp3Profiles{{"320x240", "14.985", "256", "48", "1", "22050"},
                                                         {"320x240", "14.985", "512", "80", "1", "22050"},
                                                         {"320x240", "15", "768", "128", "1", "22050"},
                                                         {"320x240", "15", "1000", "192", "1", "22050"},
                                                         {"320x240", "15", "1500", "224", "1", "22050"}};

const std::vector<std::string> kSizes{"160x112", "320x240", "368x208"};
const std::vector<std::string> kRates{"14.985", "15", "23.967", "24", "25", "29.97", "30"};
const std::vector<std::string> kVideoBitrates{"256", "512", "768", "1000", "1500"};
const std::vector<std::string> kAspects{"4:3", "16:9"};
const std::vector<std::string> kAudioBitrates{"16", "32", "48", "64", "80", "128", "160", "192", "224"};
const std::vector<std::string> kSampleRates{"22050", "32000", "44100", "48000"};
const std::vector<std::string> kChannels{"1", "2"};

std::vector<std::string> Volumes() {
    std::vector<std::string> volumes;
    for (int percent = 0; percent <= 500; percent += 25)
        volumes.push_back(std::to_string(percent));
    return volumes;
}

TEST(Transcoder_ProfileTests, EveryBuiltInProfileGivesAValidFile) {
    for (const auto& profile : kRmProfiles)
        ExpectRmFile(FromProfile(profile));
    for (const auto& profile : kMp3Profiles)
        ExpectMp3File(FromProfile(profile));
}

TEST(Transcoder_ProfileTests, EveryVideoOptionValueGivesAValidRealMediaFile) {
    for (const auto& value : kSizes) {
        Choice choice;
        choice.size = value;
        ExpectRmFile(choice);
    }
    for (const auto& value : kRates) {
        Choice choice;
        choice.rate = value;
        ExpectRmFile(choice);
    }
    for (const auto& value : kVideoBitrates) {
        Choice choice;
        choice.videoBitrate = value;
        ExpectRmFile(choice);
    }
    for (const auto& value : kAspects) {
        Choice choice;
        choice.aspect = value;
        ExpectRmFile(choice);
    }
}

TEST(Transcoder_ProfileTests, EveryAudioOptionValueGivesValidFilesOfBothTypes) {
    auto both = [](const Choice& choice) {
        ExpectRmFile(choice);
        ExpectMp3File(choice);
    };
    for (const auto& value : kAudioBitrates) {
        Choice choice;
        choice.audioBitrate = value;
        both(choice);
    }
    for (const auto& value : kSampleRates) {
        Choice choice;
        choice.sampleRate = value;
        both(choice);
    }
    for (const auto& value : kChannels) {
        Choice choice;
        choice.channels = value;
        both(choice);
    }
    for (const auto& value : Volumes()) {
        Choice choice;
        choice.volume = value;
        ExpectMp3File(choice);
    }
    for (const auto& value : {"0", "100", "500"}) {
        Choice choice;
        choice.volume = value;
        ExpectRmFile(choice);
    }
}

TEST(Transcoder_ProfileTests, VolumeIsLinearWith256Unchanged) {
    auto peakAt = [](const std::string& volume) {
        Choice choice;
        choice.volume = volume;
        return Convert(Mp3Arguments(choice), ".mp3").media.audioPeak;
    };
    const double unchanged = peakAt("256");
    ASSERT_GT(unchanged, 0.05);
    EXPECT_LT(peakAt("0"), 0.001);
    EXPECT_NEAR(peakAt("128"), unchanged / 2.0, unchanged * 0.1);
}

} // namespace

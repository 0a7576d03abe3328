// Damaged inputs: real clips of several containers, cut short or with bytes overwritten in the header
// and in the body. trenc must end by itself, with success and a file that holds pictures or sound, or
// with an error and no file, and never crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "tests/common/MediaCheck.h"
#include "tests/common/TempDir.h"
#include "tests/transcoder/ChildRun.h"
#include "tests/transcoder/TestClips.h"

namespace {

constexpr int kDamagesPerKind = 8;
// A generous guard: a damaged one-second clip that runs this long is hanging.
constexpr int kHangSeconds = 120;

enum class Damage { Cut, Header, Body };

std::string Damaged(const std::string& clip, Damage damage, std::mt19937& random) {
    std::string bytes = TempDir::ReadFile(clip);
    const size_t size = bytes.size();
    auto anywhere = [&](size_t from, size_t to) {
        return std::uniform_int_distribution<size_t>(from, to)(random);
    };
    auto scribble = [&](size_t from, size_t to, int count) {
        for (int i = 0; i < count; ++i)
            bytes[anywhere(from, to)] = static_cast<char>(anywhere(0, 255));
    };
    switch (damage) {
    case Damage::Cut:
        bytes.resize(anywhere(0, size - 1));
        break;
    case Damage::Header:
        scribble(0, std::min<size_t>(size - 1, 1024), static_cast<int>(anywhere(1, 32)));
        break;
    case Damage::Body:
        scribble(size / 8, size - 1, static_cast<int>(anywhere(8, 256)));
        // A run of garbage as well, as a bad sector would leave.
        for (size_t at = anywhere(size / 4, size - 1), end = std::min(size, at + anywhere(16, 4096));
             at < end; ++at)
            bytes[at] = static_cast<char>(anywhere(0, 255));
        break;
    }
    return bytes;
}

TEST(Transcoder_RobustnessTests, DamagedInputsNeverCrashOrHang) {
    TempDir dir;
    std::mt19937 random(20240607);
    int runs = 0;
    for (const std::string extension : {"avi", "mov", "3gp", "flv", "mpg", "asf", "rm", "mp4", "mkv"}) {
        const std::string& clip = TestClips::InContainer(extension);
        for (Damage damage : {Damage::Cut, Damage::Header, Damage::Body}) {
            for (int i = 0; i < kDamagesPerKind; ++i, ++runs) {
                const std::string input =
                    dir.WriteFile("damaged." + extension, Damaged(clip, damage, random));
                const std::string output = (dir.Path() / "out.rm").string();
                const auto run = RunChild(TrencPath(),
                                          {"-y", "-i", input, "-vcodec", "rv20", "-b", "512", "-s", "160x112",
                                           "-r", "15", "-ab", "64", "-ac", "2", "-ar", "44100", output},
                                          kHangSeconds);
                SCOPED_TRACE(extension + " damage " + std::to_string(static_cast<int>(damage)) + " #" +
                             std::to_string(i));
                EXPECT_FALSE(run.killedAsHung);
                EXPECT_TRUE(run.exited) << "ended by signal " << run.signal << "\n" << run.output;
                EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 1) << run.output;
                EXPECT_EQ(run.output.find("Sanitizer"), std::string::npos) << run.output;
                EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << run.output;
                // Success means a file with something in it; a failure leaves no file behind.
                if (run.exitStatus == 0) {
                    const MediaReport media = CheckMedia(output);
                    EXPECT_TRUE(media.opened) << run.output;
                    EXPECT_TRUE(media.videoFrames > 0 || media.audioSamples > 0) << run.output;
                } else {
                    EXPECT_FALSE(std::filesystem::exists(output)) << run.output;
                }
                std::filesystem::remove(output);
            }
        }
    }
    EXPECT_GE(runs, 200);
}

} // namespace

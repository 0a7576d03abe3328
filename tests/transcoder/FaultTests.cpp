// Faults a user may meet, with the real transcoder: addresses instead of files, inputs that never
// end, runs that make nothing, a disk that fills up, a long file of few bytes, and an audio format that
// changes in the middle of a file.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/common/MediaCheck.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "tests/transcoder/ChildRun.h"
#include "tests/transcoder/TestClips.h"

namespace {

constexpr const char* kStallVariable = "RIVAMO_TRENC_STALL_SECONDS";
const std::vector<std::string> kRmOptions{"-vcodec", "rv20", "-b", "512", "-s", "160x112", "-r",
                                          "15",      "-ab",  "64", "-ac", "2",  "-ar",     "44100"};

// A TCP listener on a free port of the loopback address.
class Listener {
public:
    Listener() : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_fd, 4) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on the loopback address");
        m_port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(m_fd); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int Port() const { return m_port; }
    // True when someone has connected (a connection waits to be accepted).
    bool WasContacted() const {
        pollfd ready{m_fd, POLLIN, 0};
        return ::poll(&ready, 1, 0) > 0;
    }

private:
    int m_fd;
    int m_port = 0;
};

// Sets an environment variable for the child processes started while it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (value)
            ::setenv(name, value, 1);
    }
    ~ScopedVariable() { ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

class Transcoder_FaultTests : public ::testing::Test {
protected:
    TempDir m_dir;
    std::string Out(const std::string& name) const { return m_dir.Path() / name; }

    ChildResult Trenc(const std::string& input, std::vector<std::string> options, const std::string& output,
                      int safetySeconds = 300) {
        options.insert(options.begin(), {"-y", "-i", input});
        options.push_back(output);
        return RunChild(TrencPath(), options, safetySeconds);
    }
};

TEST_F(Transcoder_FaultTests, NetworkAddressesAreRefusedAndNothingIsSent) {
    const Listener listener;
    const std::string address = "tcp://127.0.0.1:" + std::to_string(listener.Port());
    for (const auto& [input, output] :
         {std::pair{TestClips::Short(), address}, std::pair{address, Out("x.mp3")}}) {
        const auto run = Trenc(input, {"-acodec", "mp3", "-vn", "-f", "mp3"}, output, 60);
        EXPECT_EQ(run.exitStatus, 1) << run.output;
        EXPECT_NE(LastLine(run.output).find("'" + address + "' is not a local file"), std::string::npos)
            << run.output;
    }
    EXPECT_FALSE(listener.WasContacted());
}

TEST_F(Transcoder_FaultTests, InputsThatAreNoRegularFileAreRefusedAtOnce) {
    const std::string fifo = Out("clip.avi");
    const std::string fifoScript = Out("VideoFile.avs");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(fifoScript.c_str(), 0600), 0);
    for (const std::string& input : {fifo, fifoScript, std::string("/dev/zero"), m_dir.Path().string()}) {
        const auto run = Trenc(input, {"-acodec", "mp3", "-vn"}, Out("out.mp3"), 30);
        EXPECT_FALSE(run.killedAsHung) << input;
        EXPECT_EQ(run.exitStatus, 1) << run.output;
        EXPECT_NE(LastLine(run.output).find(input + ": not a regular file"), std::string::npos) << run.output;
    }
}

TEST_F(Transcoder_FaultTests, ARunThatMakesNothingFailsAndLeavesNoFile) {
    struct Case {
        std::string input;
        std::vector<std::string> cut;
        const char* stallSeconds;
        const char* message;
    };
    const std::string onePicture = MakeClip(m_dir, "one.avi", {0.04, "160x120", 25, 0, {"-frames:v", "1"}});
    for (const Case& c : {Case{TestClips::Short(), {"-ss", "00:00:05"}, nullptr, "is empty"},
                          Case{TestClips::Short(), {"-t", "0"}, nullptr, "is empty"},
                          Case{onePicture, {}, nullptr, "is empty"},
                          Case{TestClips::Short(), {}, "0", "The input has stalled"}}) {
        const ScopedVariable stall(kStallVariable, c.stallSeconds);
        std::vector<std::string> options = c.cut;
        options.insert(options.end(), kRmOptions.begin(), kRmOptions.end());
        const auto run = Trenc(c.input, options, Out("nothing.rm"));
        SCOPED_TRACE(c.message);
        EXPECT_EQ(run.exitStatus, 1) << run.output;
        EXPECT_NE(LastLine(run.output).find(c.message), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(Out("nothing.rm")));
    }
}

TEST_F(Transcoder_FaultTests, AFullDiskEndsWithItsMessageAndNoFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const TempDir disk;
    if (::mount("tmpfs", disk.Path().c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    const std::string output = disk.Path() / "full.avi";
    const auto run =
        Trenc(TestClips::FourSeconds(), {"-vcodec", "mpeg4", "-b", "8000", "-acodec", "pcm_s16le"}, output);
    const bool stillThere = std::filesystem::exists(output);
    ::umount2(disk.Path().c_str(), MNT_DETACH);
    EXPECT_EQ(run.exitStatus, 1) << run.output;
    EXPECT_NE(LastLine(run.output).find("No space left on device"), std::string::npos) << run.output;
    EXPECT_FALSE(stillThere);
}

// 16 minutes in well under a megabyte, with the stall limit cut to 1 s: only a limit on stalls, not
// one on the run's length or on the input's size, lets it convert in full.
TEST_F(Transcoder_FaultTests, ALongFileOfFewBytesConvertsInFull) {
    constexpr int kSeconds = 16 * 60;
    constexpr int kRate = 5;
    const std::string input = MakeClip(
        m_dir, "long.avi", {kSeconds, "64x48", kRate, 0, {"-c:v", "mpeg4", "-q:v", "31", "-g", "600"}});
    const ScopedVariable stall(kStallVariable, "1");
    const auto run = Trenc(input, {"-vcodec", "rv20", "-s", "64x48", "-r", "5"}, Out("long.rm"), 900);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const MediaReport media = CheckMedia(Out("long.rm"));
    EXPECT_EQ(media.errors, 0);
    EXPECT_NEAR(static_cast<double>(media.videoFrames), kSeconds * kRate, 2.0);
}

// Two MPEG-PS parts with AC-3 audio of other channels and rates, one after the other in one file. The
// second part begins half a second before the first ends (both its pictures and its sound): what
// overlaps is dropped from both, so the sound lasts as long as the pictures.
TEST_F(Transcoder_FaultTests, AnAudioFormatThatChangesMidFileIsConvertedInFull) {
    const std::string first =
        MakeClip(m_dir, "first.vob",
                 {5, "160x120", 25, 48000, {"-ac", "2", "-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"}});
    const std::string second =
        MakeClip(m_dir, "second.vob",
                 {5,
                  "160x120",
                  25,
                  44100,
                  {"-ac", "1", "-c:v", "mpeg2video", "-c:a", "ac3", "-output_ts_offset", "5", "-f", "vob"}});
    const std::string input =
        m_dir.WriteFile("both.vob", TempDir::ReadFile(first) + TempDir::ReadFile(second));
    const auto run = Trenc(input, kRmOptions, Out("both.rm"));
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const MediaReport media = CheckMedia(Out("both.rm"));
    EXPECT_EQ(media.errors, 0);
    EXPECT_NEAR(media.AudioSeconds(), static_cast<double>(media.videoFrames) / 15, 0.2);
    EXPECT_GT(media.videoFrames, 9 * 15);
}

} // namespace

#include "convert/PosixProcessLauncher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "convert/AdvanceSystem.h"
#include "convert/TranscoderRunner.h"
#include "support/CommandLine.h"
#include "support/SteadyClock.h"
#include "tests/convert/RealProcesses.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Everything the child writes until it ends; a child that outlives the bound fails the test.
std::string ReadToEnd(ChildProcess& child) {
    std::string all;
    bool running = true;
    EXPECT_TRUE(Eventually([&] {
        running = child.IsRunning();
        while (child.BytesWaiting() > 0)
            all += child.Read(MaxChunkBytes);
        return !running;
    })) << "the child is still running";
    return all;
}

std::optional<ProcessEntry> Listed(int64_t pid) {
    const auto snapshot = OwnChildrenTable().Snapshot();
    for (const ProcessEntry& entry : snapshot.value())
        if (entry.pid == pid)
            return entry;
    return std::nullopt;
}

} // namespace

class Convert_ProcessRunTests : public ::testing::Test {
protected:
    FakeProgramFolder program;
    PosixProcessLauncher launcher;
    SteadyClock clock;
    OwnChildrenTable own;
    std::vector<std::string> chunks;
    OutputCallback collect = [this](const std::string& chunk) { chunks.push_back(chunk); };
    int descriptorsBefore = OpenDescriptorCount();

    void TearDown() override {
        EXPECT_TRUE(NoChildLeft());
        EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
    }
};

TEST_F(Convert_ProcessRunTests, TheChildHasItsOwnSessionTheProgramFolderAPipeForInputAndNoOtherDescriptor) {
    const auto child = launcher.Start(program.Trenc(), " inspect \"a b\" c\\d", program.WorkingFolder());
    ASSERT_NE(child, nullptr);
    const std::string report = ReadToEnd(*child);
    EXPECT_THAT(report, HasSubstr("cwd=" + program.WorkingFolder() + "\n"));
    EXPECT_THAT(report, HasSubstr("session=own\n"));
    EXPECT_THAT(report, HasSubstr("stdin=pipe\n"));
    EXPECT_THAT(report, HasSubstr("fds=0 1 2 \n"));
    EXPECT_THAT(report, HasSubstr("args=[inspect][a b][c\\d]\n"));
}

TEST_F(Convert_ProcessRunTests, AFailedStartReturnsNullAndLeavesNoProcess) {
    EXPECT_EQ(launcher.Start("", "", program.WorkingFolder()), nullptr);
    EXPECT_EQ(launcher.Start(program.Folder() + "missing", " status 1 1", program.WorkingFolder()), nullptr);
    EXPECT_EQ(launcher.Start(program.Trenc(), " exit", program.Folder() + "no such folder"), nullptr);
    const std::string plainFile = program.Dir().WriteFile("plain", "not a program");
    EXPECT_EQ(launcher.Start(plainFile, " exit", program.WorkingFolder()), nullptr);
}

TEST_F(Convert_ProcessRunTests, StatusLinesArriveInOrderAndNothingIsLost) {
    EXPECT_TRUE(
        RunTranscoder(launcher, clock, program.Trenc(), " status 4 200", program.WorkingFolder(), collect));
    ASSERT_GE(chunks.size(), 2u);
    std::string all;
    for (const std::string& chunk : chunks)
        all += chunk;
    EXPECT_EQ(all, "fake transcoder\n"
                   "frame=25 q=2.0 size=10kB time=1.50 bitrate= 64.0kbits/s\r"
                   "frame=50 q=2.0 size=20kB time=2.50 bitrate= 64.0kbits/s\r"
                   "frame=75 q=2.0 size=30kB time=3.50 bitrate= 64.0kbits/s\r"
                   "frame=100 q=2.0 size=40kB time=4.50 bitrate= 64.0kbits/s\r");
}

TEST_F(Convert_ProcessRunTests, MoreThan1023BytesAtOnceDeliverOnlyTheLastPiece) {
    EXPECT_TRUE(
        RunTranscoder(launcher, clock, program.Trenc(), " burst 2500", program.WorkingFolder(), collect));
    EXPECT_THAT(chunks, ElementsAre(std::string(2500 - 2 * 1023, 'C')));
}

TEST_F(Convert_ProcessRunTests, AnImmediateExitDeliversNothing) {
    EXPECT_TRUE(RunTranscoder(launcher, clock, program.Trenc(), " exit", program.WorkingFolder(), collect));
    EXPECT_TRUE(chunks.empty());
}

TEST_F(Convert_ProcessRunTests, ARunGoesOnUntilItsChildIsKilled) {
    std::mutex mutex;
    TAdvanceSystem worker(launcher, clock, program.WorkingFolder(), program.Trenc(), " forever 20",
                          [&](const std::string& chunk) {
                              const std::lock_guard lock(mutex);
                              chunks.push_back(chunk);
                          });
    worker.Start();
    std::optional<ProcessEntry> child;
    ASSERT_TRUE(Eventually([&] {
        const auto listed = own.Snapshot().value();
        if (!listed.empty())
            child = listed.front();
        return child.has_value();
    }));
    EXPECT_EQ(child->exeName, "trenc");
    // Several pieces of output: the child keeps running and the run keeps reading.
    const auto chunkCount = [&] {
        const std::lock_guard lock(mutex);
        return chunks.size();
    };
    EXPECT_TRUE(Eventually([&] { return chunkCount() >= 3; }));
    EXPECT_FALSE(worker.Finished());
    ASSERT_TRUE(own.Terminate(child->pid));
    worker.WaitFor();
    EXPECT_FALSE(chunks.empty());
    EXPECT_FALSE(Listed(child->pid));
}

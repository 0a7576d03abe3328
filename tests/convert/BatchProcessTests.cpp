#include "convert/BatchDriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <thread>

#include "convert/PosixProcessLauncher.h"
#include "support/CommandLine.h"
#include "support/SteadyClock.h"
#include "tests/convert/BatchWorld.h"
#include "tests/convert/RealProcesses.h"

using ::testing::Contains;
using ::testing::Not;

namespace {

// Short pauses; the start pause still leaves the worker ample time to start its child.
BatchTiming ShortTiming() {
    BatchTiming timing;
    timing.showPauseMs = 20;
    timing.startPauseMs = 500;
    timing.pollMs = 20;
    timing.runnerPauseMs = 50;
    return timing;
}

int LineCount(const std::string& path) {
    std::ifstream file(path);
    int lines = 0;
    for (std::string line; std::getline(file, line);)
        ++lines;
    return lines;
}

} // namespace

class Convert_BatchProcessTests : public ::testing::Test {
protected:
    FakeProgramFolder program;
    EventLog events;
    PosixProcessLauncher launcher;
    OwnChildrenTable own;
    SteadyClock clock;
    int descriptorsBefore = OpenDescriptorCount();

    std::unique_ptr<BatchWorld> MakeWorld(BatchTiming timing = ShortTiming()) {
        auto world = std::make_unique<BatchWorld>(events, launcher, clock, timing, program.Folder());
        world->commands.executable = program.Trenc();
        return world;
    }
    // The fake transcoder writing one line per status line into "<output folder>/<name>.out".
    std::string Command(const std::string& arguments, const std::string& source) const {
        const std::string name = std::filesystem::path(source).filename().string();
        return program.Trenc() + " " + arguments + " " +
               QuoteArgument(program.Dir().Folder() + name + ".out");
    }
    std::string OutputOf(const std::string& source) const {
        return program.Dir().Folder() + std::filesystem::path(source).filename().string() + ".out";
    }

    void TearDown() override {
        EXPECT_TRUE(NoChildLeft());
        EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
    }
};

TEST_F(Convert_BatchProcessTests, ConvertsTheCheckedRowsOneAfterAnother) {
    auto world = MakeWorld();
    world->AddRow("/v/a.avi", true);
    world->AddRow("/v/b.avi", false);
    world->AddRow("/v/c.avi", true);
    world->AddRow("/v/d.avi", true);
    world->commands.commandFor = [&](const std::string& path) { return Command("status 3 60", path); };
    world->commands.durationText = "4";

    world->driver.ConvertBatch();

    EXPECT_EQ(world->batch.FilesDone, 3);
    for (const char* source : {"/v/a.avi", "/v/c.avi", "/v/d.avi"})
        EXPECT_EQ(LineCount(OutputOf(source)), 3) << source;
    EXPECT_FALSE(std::filesystem::exists(OutputOf("/v/b.avi")));
    const auto log = world->LogMessages();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "parameter: " + Command("status 3 60", "/v/a.avi"));
    // The bars moved: the last file's status lines reached the window.
    EXPECT_THAT(world->ShownChunks(), Contains(testing::HasSubstr("time=3.50")));
    EXPECT_EQ(world->progress.ProgressBar1.position, 3);
}

TEST_F(Convert_BatchProcessTests,
       AStopKillsTheTranscoderLeavesItsOutputAndSkipsTheRestThenACloseKeepsTheEndActions) {
    auto world = MakeWorld();
    world->AddRow("/v/a.avi", true);
    world->AddRow("/v/b.avi", true);
    world->commands.commandFor = [&](const std::string& path) { return Command("status 1000 30", path); };
    world->choices.SetShowOutputDirectory(true);
    std::optional<std::ptrdiff_t> transcodersAfterStop;
    world->boxes.QueueAnswer(IdYes);
    world->pump.m_hook = [&] {
        if (world->batch.ChunkCount >= 3 && world->boxes.Boxes().empty()) {
            world->driver.ProgressWindow().btnStop1Click();
            transcodersAfterStop =
                std::ranges::count(*own.Snapshot(), std::string("trenc"), &ProcessEntry::exeName);
        }
    };
    world->driver.ConvertBatch();

    EXPECT_EQ(transcodersAfterStop, 0);
    const int written = LineCount(OutputOf("/v/a.avi"));
    EXPECT_GE(written, 1);
    EXPECT_LT(written, 1000);
    EXPECT_THAT(events.Events(), Not(Contains("build /v/b.avi")));
    EXPECT_THAT(events.Events(), Not(Contains("open folder /out/")));

    // The next batch is closed from its window: the rest is skipped, the end actions run.
    world->boxes.QueueAnswer(IdYes);
    world->pump.m_hook = [&] {
        if (world->batch.ChunkCount >= 2 && world->boxes.Boxes().size() == 1)
            world->driver.ProgressWindow().FormClose();
    };
    world->driver.ConvertBatch();
    EXPECT_EQ(world->boxes.Boxes().size(), 2u);
    EXPECT_EQ(events.Count("build /v/b.avi"), 0);
    EXPECT_THAT(events.Events(), Contains("open folder /out/"));
}

// Another program's process named trenc, from the same program folder even, is neither waited
// for nor stopped.
TEST_F(Convert_BatchProcessTests, AForeignTrencNeitherKeepsTheBatchWaitingNorIsStopped) {
    auto foreign = launcher.Start(program.Trenc(), " forever 50", program.WorkingFolder());
    ASSERT_NE(foreign, nullptr);
    auto world = MakeWorld();
    world->AddRow("/v/a.avi", true);
    world->AddRow("/v/b.avi", true);
    world->commands.commandFor = [&](const std::string& path) {
        return Command(path == "/v/a.avi" ? "exit" : "status 1000 30", path);
    };
    world->boxes.QueueAnswer(IdYes);
    world->pump.m_hook = [&] {
        if (world->batch.ChunkCount >= 2 && world->boxes.Boxes().empty())
            world->driver.ProgressWindow().btnStop1Click();
    };
    world->driver.ConvertBatch();

    EXPECT_EQ(world->batch.FilesDone, 2);
    EXPECT_LT(LineCount(OutputOf("/v/b.avi")), 1000);
    EXPECT_TRUE(foreign->IsRunning());
    foreign->Kill();
    EXPECT_TRUE(Eventually([&] { return !foreign->IsRunning(); }));
}

TEST_F(Convert_BatchProcessTests, ACommandNamingAMissingExecutableCountsAsDone) {
    auto world = MakeWorld();
    world->AddRow("/v/a.avi", true);
    world->AddRow("/v/b.avi", true);
    world->commands.commandFor = [&](const std::string& path) {
        return path == "/v/a.avi" ? program.Folder() + "missing -y -i a" : Command("status 1 10", path);
    };
    world->driver.ConvertBatch();
    EXPECT_EQ(world->batch.FilesDone, 2);
    EXPECT_EQ(LineCount(OutputOf("/v/b.avi")), 1);
}

TEST_F(Convert_BatchProcessTests, ARowWithTheProgramsOwnPausesConvertsAndEnds) {
    auto world = MakeWorld(BatchTiming{});
    world->AddRow("/v/a.avi", true);
    world->commands.commandFor = [&](const std::string& path) { return Command("status 2 300", path); };
    world->choices.SetShowOutputDirectory(true);
    world->driver.ConvertBatch();
    EXPECT_EQ(world->batch.FilesDone, 1);
    EXPECT_EQ(LineCount(OutputOf("/v/a.avi")), 2);
    EXPECT_THAT(events.Events(), Contains("open folder /out/"));
    EXPECT_FALSE(world->progress.visible);
}

#include "convert/BatchDriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "tests/convert/BatchFakes.h"
#include "tests/convert/BatchWorld.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

namespace {

// Virtual milliseconds slept between the first `from` event and the first `to` event after it.
int64_t SleptBetween(const EventLog& events, const std::string& from, const std::string& to) {
    const auto all = events.Events();
    auto it = std::find(all.begin(), all.end(), from);
    int64_t slept = 0;
    for (; it != all.end() && *it != to; ++it)
        if (it->starts_with("sleep "))
            slept += std::stoll(it->substr(6));
    return it == all.end() ? -1 : slept;
}

// Lets a quarter of each virtual sleep pass for real, so the worker thread notices its child's end
// while the batch waits for it.
void PassRealTime(FakeClock& clock) {
    clock.onSleep = [](int64_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms / 4)); };
}

std::string Status(int seconds) {
    return "frame=  " + std::to_string(seconds * 25) + " q=2.0 size=  12kB time=" + std::to_string(seconds) +
           ".40 bitrate= 64.0kbits/s";
}

} // namespace

class Convert_BatchDriverTests : public ::testing::Test {
protected:
    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    BatchWorld world{events, processes, clock};

    // The user-interface thread's events from `first` on (the worker's starts and the chunks left out).
    std::vector<std::string> EventsFrom(const std::string& first) const {
        auto all = events.Events();
        std::erase_if(
            all, [](const std::string& e) { return e.starts_with("start ") || e.starts_with("chunk "); });
        const auto start = std::find(all.begin(), all.end(), first);
        return {start, all.end()};
    }
};

TEST_F(Convert_BatchDriverTests, EmptyListWarnsAndOnlyRestoresTheWindows) {
    world.choices.SetShowOutputDirectory(true);
    world.choices.SetShutdown(true);
    world.driver.ConvertBatch();

    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(world.boxes.Boxes()[0].text, "Please add media files you want to convert into the list.");
    EXPECT_EQ(world.boxes.Boxes()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(world.boxes.Boxes()[0].buttons, MessageButtons::Ok);
    EXPECT_THAT(events.Events(), ElementsAre("hide progress", "enable main"));
}

// Rows with none checked: the user is told, and nothing of a batch runs (no folder opened, no
// power-off after converting nothing).
TEST_F(Convert_BatchDriverTests, RowsWithNoneCheckedWarnAndOnlyRestoreTheWindows) {
    world.AddRow("/v/a.avi", false);
    world.choices.SetShowOutputDirectory(true);
    world.choices.SetShutdown(true);
    world.driver.ConvertBatch();

    EXPECT_EQ(world.batch.CheckedCount, 0);
    EXPECT_EQ(world.batch.FilesDone, 0);
    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(world.boxes.Boxes()[0].text,
              "No file in the list is checked. Please check the files you want to convert.");
    EXPECT_EQ(world.boxes.Boxes()[0].icon, MessageIcon::Warning);
    EXPECT_THAT(events.Events(), ElementsAre("hide progress", "enable main"));
}

TEST_F(Convert_BatchDriverTests, ConvertsExactlyTheCheckedRowsWithEveryStepInOrder) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", false);
    world.AddRow("/v/c.avi", true);
    world.AddRow("/v/d.avi", true);
    for (int file = 0; file < 3; ++file)
        processes.AddScript({{"banner", Status(1), Status(2)}});
    world.choices.SetShowOutputDirectory(true);

    world.driver.ConvertBatch();

    EXPECT_EQ(world.batch.CheckedCount, 3);
    EXPECT_EQ(world.batch.FilesDone, 3);
    EXPECT_FALSE(world.driver.Running());
    const std::string trenc = world.dir.Folder() + "trenc";
    EXPECT_THAT(world.LogMessages(),
                ElementsAre("parameter: " + trenc + " /v/a.avi", "parameter: " + trenc + " /v/c.avi",
                            "parameter: " + trenc + " /v/d.avi"));
    EXPECT_THAT(events.Events(), Not(Contains("build /v/b.avi")));
    // The transcoder runs in the program folder, named without the trailing "/".
    EXPECT_EQ(processes.lastWorkingFolder + "/", world.dir.Folder());

    // One file: shown, main window disabled, pump, a 2 s pause and, after the worker's start, a 3 s
    // pause, both serving events every 100 ms; then 100 ms polls with pumping while it runs.
    const auto first = EventsFrom("build /v/a.avi");
    std::vector<std::string> expected = {"build /v/a.avi", "show progress", "disable main", "pump"};
    for (int poll = 0; poll < 20 + 1 + 30; ++poll) {
        if (poll == 20)
            expected.push_back("pump");
        else
            expected.insert(expected.end(), {"sleep 100", "pump"});
    }
    ASSERT_GE(first.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first.begin()));
    for (auto it = first.begin() + static_cast<std::ptrdiff_t>(expected.size());
         it != first.end() && *it != "build /v/c.avi"; ++it)
        EXPECT_TRUE(*it == "sleep 100" || *it == "pump") << *it;

    // End: the output folder of the last command, then the windows restored.
    const auto all = EventsFrom("build /v/a.avi");
    EXPECT_THAT(std::vector<std::string>(all.end() - 3, all.end()),
                ElementsAre("open folder /out/", "hide progress", "enable main"));
    EXPECT_EQ(events.Count("show progress"), 3);
}

TEST_F(Convert_BatchDriverTests, EveryChunkOfAFileIsShownBeforeTheNextFileStarts) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    // The last piece arrives together with the end of the process: it must still be shown.
    processes.AddScript({{"banner a", Status(1), Status(2), Status(3)}});
    processes.AddScript({{"banner b", Status(7)}});
    world.commands.durationText = "10";

    world.driver.ConvertBatch();

    EXPECT_THAT(world.ShownChunks(),
                ElementsAre("banner a", Status(1), Status(2), Status(3), "banner b", Status(7)));
    EXPECT_LT(events.IndexOf("chunk " + Status(3)), events.IndexOf("build /v/b.avi"));
    EXPECT_EQ(world.progress.ProgressBar1.position, 7);
}

TEST_F(Convert_BatchDriverTests, ChunksReachTheProgressWindowWithTheInputPath) {
    world.AddRow("/v/a.avi", true);
    processes.AddScript({{"banner", Status(4)}});
    world.commands.durationText = "8";
    world.driver.ConvertBatch();

    // The window was hidden at the end, but its state holds the last chunk and the bars.
    EXPECT_EQ(world.progress.statState, Status(4));
    EXPECT_EQ(world.progress.lblCurFileName, "/v/a.avi");
    EXPECT_EQ(world.progress.ProgressBar1.maximum, 8);
    EXPECT_EQ(world.progress.ProgressBar1.position, 4);
    EXPECT_EQ(world.batch.ChunkCount, 2);
    EXPECT_FALSE(world.progress.visible);
}

TEST_F(Convert_BatchDriverTests, AMissingExecutableCountsAsDone) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    processes.AddScript(ScriptedProcesses::FailingStart());
    processes.AddScript({{"banner"}});
    world.driver.ConvertBatch();

    EXPECT_EQ(world.batch.FilesDone, 2);
    EXPECT_EQ(processes.Started(), 1u);
    EXPECT_THAT(world.LogMessages().size(), 2u);
}

// The transcoder is started by the path the command line was built with; a line that does not
// begin with it starts nothing, however its text splits.
TEST_F(Convert_BatchDriverTests, TheTranscoderIsStartedByItsKnownPathOnly) {
    world.AddRow("/v/a b.avi", true);
    world.AddRow("/v/c.avi", true);
    processes.AddScript({{"banner"}});
    world.commands.executable = "/opt/my bin/trenc";
    world.commands.commandFor = [](const std::string& path) {
        return path == "/v/c.avi" ? "/opt/my -y" : "/opt/my bin/trenc -y -i \"" + path + "\"";
    };
    world.driver.ConvertBatch();
    EXPECT_EQ(world.batch.FilesDone, 2);
    EXPECT_EQ(events.Count("start /opt/my bin/trenc -y -i \"/v/a b.avi\""), 1);
    EXPECT_EQ(processes.Started(), 1u);
}

// Rows whose end is not after their start are named in one warning and not converted.
TEST_F(Convert_BatchDriverTests, RowsWithNothingToConvertAreNamedOnceAndSkipped) {
    const std::vector<std::array<std::string, 3>> rows = {{"/v/a.avi", "00:01:00", "00:01:00"},
                                                          {"/v/b.avi", "00:00:00", "00:00:05"},
                                                          {"/v/c.avi", "00:00:09", "00:00:03"},
                                                          {"/v/d.avi", "00:00:00", "00:00:00"}};
    for (const auto& [path, start, end] : rows) {
        world.AddRow(path, path != "/v/d.avi");
        world.sources.SetCell(world.sources.RowCount() - 1, colStartTime, start);
        world.sources.SetCell(world.sources.RowCount() - 1, colEndTime, end);
    }
    processes.AddScript({{"banner"}});
    world.driver.ConvertBatch();

    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(world.boxes.Boxes()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(world.boxes.Boxes()[0].text,
              "These rows are not converted: their end time is not after their start time, so there is "
              "nothing to convert.\nRow 1: /v/a.avi (00:01:00 to 00:01:00)\nRow 3: /v/c.avi (00:00:09 to "
              "00:00:03)");
    EXPECT_THAT(events.Events(), Not(Contains("build /v/a.avi")));
    EXPECT_THAT(events.Events(), Not(Contains("build /v/c.avi")));
    EXPECT_EQ(events.Count("build /v/b.avi"), 1);
    EXPECT_EQ(world.batch.FilesDone, 3);
}

TEST_F(Convert_BatchDriverTests, ConfirmedStopKillsTheTranscoderSkipsTheRestAndTheEndActions) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    world.AddRow("/v/c.avi", true);
    // The first file runs until it is killed; its output after the stop must not reach the window.
    processes.AddScript({{"banner", Status(1), Status(2), Status(3)}, /*keepRunning=*/true});
    world.choices.SetShowOutputDirectory(true);
    world.choices.SetShutdown(true);
    world.commands.durationText = "10";
    world.boxes.QueueAnswer(IdYes);
    PassRealTime(clock);
    std::string shownAtStop;
    world.pump.m_hook = [&] {
        if (world.batch.ChunkCount >= 3 && world.boxes.Boxes().empty()) {
            shownAtStop = world.progress.statState;
            world.driver.ProgressWindow().btnStop1Click();
        }
    };

    world.driver.ConvertBatch();

    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(world.boxes.Boxes()[0].text, "Are you sure you want to stop the work ? ");
    EXPECT_EQ(world.boxes.Boxes()[0].icon, MessageIcon::None);
    EXPECT_EQ(world.boxes.Boxes()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(events.Count("term " + std::to_string(ScriptedProcesses::ChildPid(0))), 1);
    EXPECT_EQ(events.Count("kill " + std::to_string(ScriptedProcesses::ChildPid(0))), 0);
    EXPECT_EQ(processes.Started(), 1u);
    EXPECT_THAT(events.Events(), Not(Contains("build /v/b.avi")));
    EXPECT_THAT(events.Events(), Not(Contains("power off")));
    EXPECT_THAT(events.Events(), Not(Contains("open folder /out/")));
    EXPECT_THAT(world.LogMessages(), Not(Contains("Terminate process error.")));
    EXPECT_FALSE(world.batch.Stopped);
    EXPECT_EQ(world.progress.lblPersent, "Current: 1, Total: ...");
    EXPECT_EQ(world.progress.pbTotal.position, 0);
    EXPECT_EQ(world.progress.pbTotal.maximum, 0);
    EXPECT_EQ(world.progress.statState, shownAtStop);

    // A later batch runs its end actions again.
    world.pump.m_hook = nullptr;
    processes.AddScript({{"banner"}});
    world.driver.ConvertBatch();
    EXPECT_EQ(world.batch.FilesDone, 3);
    EXPECT_THAT(events.Events(), Contains("power off"));
}

TEST_F(Convert_BatchDriverTests, StopAnsweredNoChangesNothing) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    processes.AddScript({{"banner", Status(1), Status(2)}, /*keepRunning=*/true});
    processes.AddScript({{"banner"}});
    world.boxes.QueueAnswer(IdNo);
    world.pump.m_hook = [&] {
        if (world.batch.ChunkCount >= 1 && world.boxes.Boxes().empty()) {
            world.driver.ProgressWindow().btnStop1Click();
            processes.Finish(0);
        }
    };
    world.driver.ConvertBatch();
    EXPECT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(processes.Started(), 2u);
    EXPECT_EQ(events.Count("term " + std::to_string(ScriptedProcesses::ChildPid(0))), 0);
}

TEST_F(Convert_BatchDriverTests, ConfirmedCloseSkipsTheRemainingRowsButRunsTheEndActions) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    processes.AddScript({{"banner", Status(1)}, /*keepRunning=*/true});
    world.choices.SetShowOutputDirectory(true);
    world.boxes.QueueAnswer(IdYes);
    PassRealTime(clock);
    world.pump.m_hook = [&] {
        if (world.batch.ChunkCount >= 1 && world.boxes.Boxes().empty())
            world.driver.ProgressWindow().FormClose();
    };
    world.driver.ConvertBatch();

    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(world.boxes.Boxes()[0].text, "Are you sure to stop processing ?");
    EXPECT_EQ(events.Count("term " + std::to_string(ScriptedProcesses::ChildPid(0))), 1);
    EXPECT_EQ(processes.Started(), 1u);
    EXPECT_THAT(events.Events(), Contains("open folder /out/"));
}

TEST_F(Convert_BatchDriverTests, CloseAnsweredNoHidesTheWindowUntilTheNextRowShowsIt) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    processes.AddScript({{"banner", Status(1)}, /*keepRunning=*/true});
    processes.AddScript({{"banner"}});
    world.boxes.QueueAnswer(IdNo);
    world.pump.m_hook = [&] {
        if (world.batch.ChunkCount >= 1 && world.boxes.Boxes().empty()) {
            world.driver.ProgressWindow().FormClose();
            processes.Finish(0);
        }
    };
    world.driver.ConvertBatch();

    EXPECT_EQ(processes.Started(), 2u);
    const auto fromClose = EventsFrom("hide progress");
    ASSERT_FALSE(fromClose.empty());
    // Hidden by the close, shown again (with FormShow) when b starts; the main window stays disabled.
    EXPECT_EQ(std::count(fromClose.begin(), fromClose.end(), "show progress"), 1);
    EXPECT_EQ(std::find(fromClose.begin(), fromClose.end(), "enable main"), fromClose.end() - 1);
}

TEST_F(Convert_BatchDriverTests, StopDuringTheShowPauseStartsNoTranscoder) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    world.boxes.QueueAnswer(IdYes);
    world.pump.m_hook = [&] {
        if (world.boxes.Boxes().empty())
            world.driver.ProgressWindow().btnStop1Click();
    };
    world.driver.ConvertBatch();
    EXPECT_EQ(processes.Started(), 0u);
    EXPECT_THAT(events.Events(), Not(Contains("build /v/b.avi")));
}

TEST_F(Convert_BatchDriverTests, AFailingCommandLineRestoresTheWindowsAndIsRaised) {
    world.AddRow("/v/a.avi", true);
    world.AddRow("/v/b.avi", true);
    world.AddRow("/v/c.avi", true);
    processes.AddScript({{"banner"}});
    world.commands.failing = "/v/b.avi";
    world.choices.SetShutdown(true);

    EXPECT_THROW(world.driver.ConvertBatch(), std::runtime_error);
    const auto all = events.Events();
    EXPECT_THAT(std::vector<std::string>(all.end() - 3, all.end()),
                ElementsAre("build /v/b.avi", "hide progress", "enable main"));
    EXPECT_FALSE(world.driver.Running());
    EXPECT_EQ(world.batch.FilesDone, 1);

    // The driver is usable again.
    world.commands.failing.clear();
    for (int i = 0; i < 3; ++i)
        processes.AddScript({{"banner"}});
    world.driver.ConvertBatch();
    EXPECT_EQ(world.batch.FilesDone, 3);
    EXPECT_THAT(events.Events(), Contains("end program"));
}

TEST_F(Convert_BatchDriverTests, ABatchStartedFromInsideABatchDoesNothing) {
    world.AddRow("/v/a.avi", true);
    processes.AddScript({{"banner", Status(1)}});
    world.pump.m_hook = [&] { world.driver.ConvertBatch(); };
    world.driver.ConvertBatch();
    EXPECT_EQ(processes.Started(), 1u);
    EXPECT_EQ(events.Count("build /v/a.avi"), 1);
}

// A transcoder that ignores the request to end is killed after 2 s; one that outlives the kill
// for 5 s more is logged and left to end by itself.
TEST_F(Convert_BatchDriverTests, AStopAsksFirstKillsAfterTwoSecondsAndGivesUpFiveSecondsLater) {
    for (const bool unkillable : {false, true}) {
        EventLog caseEvents;
        ScriptedProcesses caseProcesses{caseEvents};
        FakeClock caseClock{caseEvents};
        BatchWorld caseWorld{caseEvents, caseProcesses, caseClock};
        PassRealTime(caseClock);
        caseWorld.AddRow("/v/a.avi", true);
        ScriptedProcesses::Script script{{"banner"}, /*keepRunning=*/true};
        script.ignoresTerm = true;
        script.unkillable = unkillable;
        caseProcesses.AddScript(script);
        caseWorld.boxes.QueueAnswer(IdYes);
        caseWorld.pump.m_hook = [&] {
            if (caseWorld.batch.ChunkCount >= 1 && caseWorld.boxes.Boxes().empty()) {
                caseWorld.driver.ProgressWindow().btnStop1Click();
                caseEvents.Add("stop returned");
                caseProcesses.Finish(0);
            }
        };
        caseWorld.driver.ConvertBatch();

        EXPECT_EQ(SleptBetween(caseEvents, "term 1000", "kill 1000"), 2000);
        if (unkillable)
            EXPECT_EQ(SleptBetween(caseEvents, "kill 1000", "stop returned"), 5000);
        else
            EXPECT_LT(SleptBetween(caseEvents, "kill 1000", "stop returned"), 5000);
        const auto messages = caseWorld.LogMessages();
        EXPECT_EQ(std::count(messages.begin(), messages.end(), "Terminate process error."),
                  unkillable ? 1 : 0);
        EXPECT_EQ(caseWorld.batch.FilesDone, 1);
    }
}

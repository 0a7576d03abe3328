// The preview player and the trim bar on a faked media layer.
#include "sources/PreviewPlayer.h"
#include "sources/TrimBar.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int64_t UnitsPerSecond = 10'000'000;

// Loads end at once, unless holdLoads keeps them going until FinishLoad.
class FakeMedia final : public MediaPlayer {
public:
    std::set<std::string> unplayable;
    std::vector<std::string> calls;
    bool active = false;
    bool loaded = false;
    bool holdLoads = false;
    std::string loading;
    int64_t position = 0;
    int64_t durationMs = 100'000;
    TickHandler tick;
    std::function<void()> positionMoved;
    LoadHandler loadEnded;

    bool IsActive() const override { return active; }
    void SetActive(bool value) override { active = value; }
    void Empty() override { loaded = false; }
    int Render(const std::string& path) override {
        if (path.empty())
            throw std::runtime_error("no file named");
        loading = path;
        if (!holdLoads)
            FinishLoad();
        return 0;
    }
    void FinishLoad() {
        loaded = !unplayable.count(loading);
        position = 0;
        loadEnded(loaded ? "" : "no decoder");
    }
    bool IsLoaded() const override { return loaded; }
    void Run() override { calls.push_back("run"); }
    void Pause() override { calls.push_back("pause"); }
    void Stop() override { calls.push_back("stop"); }
    int64_t DurationMs() const override { return durationMs; }
    int64_t Position() const override { return position; }
    void SetPosition(int64_t value) override {
        calls.push_back("seek " + std::to_string(value / UnitsPerSecond));
        position = value;
    }
    void StepPicture(bool forward) override {
        position += (forward ? 1 : -1) * UnitsPerSecond / 25;
        if (positionMoved)
            positionMoved();
    }
    void SetTickHandler(TickHandler handler) override { tick = std::move(handler); }
    void SetPositionHandler(std::function<void()> handler) override { positionMoved = std::move(handler); }
    void SetLoadHandler(LoadHandler handler) override { loadEnded = std::move(handler); }

    // A tick of the media layer at the given second of playback.
    void TickAt(double seconds) {
        position = static_cast<int64_t>(seconds * UnitsPerSecond);
        tick(static_cast<uint64_t>(seconds * 1000), static_cast<uint64_t>(durationMs));
    }
};

struct NoPump final : EventPump {
    void Pump() override {}
};

class Sources_PreviewPlayerTests : public testing::Test {
protected:
    std::size_t AddRow(const std::string& path, const std::string& duration,
                       const std::string& start = "00:00:00", std::string end = "") {
        const std::size_t row = rows.AppendRow();
        rows.SetCell(row, colFileName, path);
        rows.SetCell(row, colDuration, duration);
        rows.SetCell(row, colStartTime, start);
        rows.SetCell(row, colEndTime, end.empty() ? duration : end);
        rows.SetCell(row, colCutTime, duration);
        return row;
    }
    void Select(std::vector<std::size_t> selected) {
        for (std::size_t row = 0; row < rows.RowCount(); ++row)
            rows.SetSelected(row, false);
        for (const std::size_t row : selected)
            rows.SetSelected(row, true);
        bar.ShowRowOnTrimBar();
    }
    std::string Cells(std::size_t row) const {
        return rows.Cell(row, colStartTime) + " " + rows.Cell(row, colEndTime) + " " +
               rows.Cell(row, colCutTime);
    }

    FakeMedia media;
    SourceList rows;
    TrimBarState state;
    NoPump pump;
    std::vector<std::string> log;
    PreviewPlayer player{media, rows, state, [this](const std::string& line) { log.push_back(line); }};
    TrimBar bar{rows, state, player, pump};
};

TEST_F(Sources_PreviewPlayerTests, PlayPauseAndStopMoveThroughTheStatesOfThePreview) {
    player.btnPlayClick(); // nothing selected, nothing loaded
    EXPECT_FALSE(media.active);
    EXPECT_TRUE(player.LogoShown());

    AddRow("/v/a.avi", "00:01:40", "00:00:30");
    Select({0});
    player.btnPlayClick();
    EXPECT_EQ(player.PreviewPath(), "/v/a.avi");
    EXPECT_TRUE(player.PreviewPlaying());
    EXPECT_FALSE(player.LogoShown());
    // Playing starts where the bar's start stands once the bar shows the row.
    EXPECT_EQ(media.calls, (std::vector<std::string>{"pause", "seek 0", "run"}));
    state.SelectedStartSeconds = 30;
    player.StopPreview();
    player.btnPlayClick();
    EXPECT_EQ(media.calls.back(), "run");
    EXPECT_EQ(media.position, 30 * UnitsPerSecond);

    media.calls.clear();
    player.btnPlayClick(); // already playing
    player.btnPauseClick();
    player.btnPauseClick(); // already paused
    EXPECT_EQ(media.calls, std::vector<std::string>{"pause"});
    media.position = 30 * UnitsPerSecond + 2'500'000;
    media.StepPicture(true);
    EXPECT_EQ(player.pnlCurTime(), "00:00:30.2"); // tenths while paused
    player.btnPlayClick();
    EXPECT_TRUE(player.PreviewPlaying());

    player.btnStopClick();
    EXPECT_FALSE(media.active);
    EXPECT_EQ(player.PreviewPath(), "");
    EXPECT_EQ(player.pnlCurTime(), "00:00:00");
    EXPECT_TRUE(player.LogoShown());
    media.calls.clear();
    player.btnStopClick(); // nothing loaded: nothing at all
    EXPECT_TRUE(media.calls.empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(Sources_PreviewPlayerTests, FileThatCannotBePlayedIsLoggedWithItsReasonAndPlaysNothing) {
    media.unplayable.insert("/v/bad audio.avi");
    AddRow("/v/bad audio.avi", "00:00:10");
    AddRow("", "00:00:10");
    for (const std::size_t row : {0, 1}) {
        Select({row});
        player.btnPlayClick();
        EXPECT_EQ(player.PreviewPath(), "");
        EXPECT_FALSE(player.PreviewPlaying());
        EXPECT_TRUE(player.LogoShown());
    }
    EXPECT_EQ(log, (std::vector<std::string>{"Playing Video error. /v/bad audio.avi: no decoder",
                                             "Playing Video error. : no file named"}));
    EXPECT_FALSE(media.loaded);
    EXPECT_TRUE(media.calls.empty());
    EXPECT_EQ(player.PanelMessage(), "The preview cannot play this file.");
    // A file that plays takes the word away.
    AddRow("/v/good.avi", "00:00:10");
    Select({2});
    player.btnPlayClick();
    EXPECT_EQ(player.PreviewPath(), "/v/good.avi");
    EXPECT_EQ(player.PanelMessage(), "");
}

// While a file loads, playing, pausing and seeking only say what to do once it is loaded; a load
// that was stopped has no say any more.
TEST_F(Sources_PreviewPlayerTests, WhatTheUserDoesWhileAFileLoadsIsAppliedOnceItIsLoaded) {
    media.holdLoads = true;
    AddRow("/v/a.avi", "00:01:40");
    Select({0});
    player.btnPlayClick();
    EXPECT_TRUE(player.IsLoading());
    EXPECT_TRUE(player.PreviewPlaying());
    EXPECT_TRUE(player.LogoShown());
    player.SeekPreview(30'000);
    player.btnPauseClick();
    player.StepSeconds(10); // not loaded: no step
    EXPECT_TRUE(media.calls.empty());
    media.FinishLoad();
    EXPECT_EQ(media.calls, (std::vector<std::string>{"pause", "seek 30"}));
    EXPECT_EQ(player.pnlCurTime(), "00:00:30.0");
    EXPECT_FALSE(player.LogoShown());

    player.StopPreview();
    player.btnPlayClick();
    player.StopPreview();
    media.calls.clear();
    media.FinishLoad();
    EXPECT_TRUE(media.calls.empty());
    EXPECT_EQ(player.PreviewPath(), "");
    EXPECT_TRUE(log.empty());
}

TEST_F(Sources_PreviewPlayerTests, MinimizingPausesAndRestoringPlaysOnlyWhatWasPlaying) {
    AddRow("/v/a.avi", "00:01:40");
    Select({0});
    for (const bool playing : {true, false}) {
        player.StopPreview();
        player.btnPlayClick();
        if (!playing)
            player.btnPauseClick();
        player.WindowMinimized(true);
        EXPECT_FALSE(player.PreviewPlaying());
        player.WindowMinimized(true);
        player.WindowMinimized(false);
        EXPECT_EQ(player.PreviewPlaying(), playing);
        player.WindowMinimized(false);
        EXPECT_EQ(player.PreviewPlaying(), playing);
    }
}

TEST_F(Sources_PreviewPlayerTests, ReachingTheEndTimePausesAtTheFileStartAlsoWhenATickSkipsItsSecond) {
    AddRow("/v/a.avi", "00:01:40");
    Select({0});
    state.SelectedEndText = "00:00:05";
    struct Case {
        std::vector<double> ticks;
        bool pausesAtStart;
    };
    const Case cases[] = {
        {{1.0, 2.0, 3.0, 4.0, 5.0}, true},  // a tick shows the end's second
        {{1.0, 2.0, 3.0, 4.9, 6.01}, true}, // no tick inside 00:00:05
        {{1.0, 4.999}, false},              // not there yet
    };
    for (const Case& c : cases) {
        player.StopPreview();
        player.btnPlayClick();
        media.calls.clear();
        for (const double second : c.ticks)
            media.TickAt(second);
        EXPECT_EQ(!player.PreviewPlaying(), c.pausesAtStart) << c.ticks.back();
        EXPECT_EQ(media.position == 0, c.pausesAtStart) << c.ticks.back();
    }
    // Playing on from a point past the end (a start chosen after it) goes on.
    player.StopPreview();
    state.SelectedStartSeconds = 20;
    player.btnPlayClick();
    media.TickAt(21);
    media.TickAt(22);
    EXPECT_TRUE(player.PreviewPlaying());
    EXPECT_EQ(player.pnlCurTime(), "00:00:22");

    // The end of the file stops and unloads.
    media.TickAt(100);
    EXPECT_EQ(player.PreviewPath(), "");
    EXPECT_EQ(player.pnlCurTime(), "00:00:00");
    EXPECT_TRUE(player.LogoShown());
}

TEST_F(Sources_PreviewPlayerTests, SelectingARowLaysTheBarOutAndStopsAnotherFilesPreview) {
    AddRow("/v/a.avi", "00:01:40", "00:00:25", "00:01:15"); // 100 s: a quarter and three quarters
    AddRow("/v/b.avi", "00:00:08", "00:00:01", "00:00:03");
    Select({0});
    EXPECT_EQ(state.SelectedDuration, 100);
    EXPECT_TRUE(state.TrimBarSynced);
    EXPECT_EQ(state.Panel2Width, 56); // round(55) + 1
    EXPECT_EQ(state.Panel3Width, 56); // 220 - 165 + 1

    player.btnPlayClick();
    Select({0}); // the row playing: left alone
    EXPECT_TRUE(player.PreviewPlaying());
    Select({1});
    EXPECT_EQ(player.PreviewPath(), "");
    EXPECT_EQ(state.Panel2Width, 29);  // 27.5 rounds to 28
    EXPECT_EQ(state.Panel3Width, 139); // 220 - 82 (82.5 to even) + 1

    // Small moves are not applied: one pixel on the left, two on the right.
    rows.SetCell(1, colStartTime, "00:00:00");
    rows.SetCell(1, colEndTime, "00:00:08");
    Select({1});
    EXPECT_EQ(state.Panel2Width, 1);
    EXPECT_EQ(state.Panel3Width, 1);
    state.Panel2Width = 2;
    state.Panel3Width = 3;
    Select({1});
    EXPECT_EQ(state.Panel2Width, 2);
    EXPECT_EQ(state.Panel3Width, 3);
}

TEST_F(Sources_PreviewPlayerTests, HandlesWriteTheirTimesIntoEverySelectedRowAndTheStartMovesThePreview) {
    bar.SetStartTimeAndPlay(); // before any layout: the duration is 0
    EXPECT_EQ(state.SelectedStartSeconds, 0);

    AddRow("/v/a.avi", "00:01:40");
    AddRow("/v/b.avi", "00:00:50");
    Select({0, 1});        // the second row is laid out last: 50 s
    player.btnPlayClick(); // the last selected row stays loaded
    EXPECT_EQ(player.PreviewPath(), "/v/b.avi");
    media.calls.clear();

    bar.DragStartHandle(111); // the middle: 50 %
    bar.SetStartTimeAndPlay();
    EXPECT_EQ(Cells(0), "00:00:25 00:01:40 00:01:15");
    EXPECT_EQ(Cells(1), "00:00:25 00:00:50 00:00:25");
    EXPECT_EQ(media.calls, (std::vector<std::string>{"seek 25", "seek 25"}));

    bar.DragEndHandle(-5); // far right, kept at 1 pixel: 101 % of 50 s
    EXPECT_EQ(state.Panel3Width, 1);
    bar.Splitter2Moved();
    EXPECT_EQ(Cells(1), "00:00:25 00:00:50 00:00:25");
    EXPECT_EQ(state.SelectedEndText, "00:00:50");
    EXPECT_EQ(media.calls.size(), 2u); // the end never seeks

    // Handles closer than 20 pixels are pushed apart by one.
    bar.DragStartHandle(500);
    EXPECT_EQ(state.Panel2Width, 221);
    bar.SetStartTimeAndPlay();
    EXPECT_EQ(state.Panel2Width, 220);
}

TEST_F(Sources_PreviewPlayerTests, ClicksBesideTheHandlesStepByTheKeysHeldWhileThereIsRoom) {
    AddRow("/v/a.avi", "00:03:40", "00:01:00", "00:02:00");
    Select({0});
    struct Case {
        bool left, ctrl, shift;
        int panel2After;
    };
    state.Panel2Width = 60;
    for (const Case& c : {Case{true, true, false, 59}, Case{true, false, true, 49},
                          Case{true, false, false, 44}, Case{false, false, false, 44}}) {
        bar.Panel2MouseDown(c.left, c.ctrl, c.shift, false);
        EXPECT_EQ(state.Panel2Width, c.panel2After);
    }
    EXPECT_EQ(rows.Cell(0, colStartTime), "00:00:41"); // 19 % of 220 s
    state.Panel3Width = 80;
    bar.Panel3MouseDown(true, false, true, false);
    EXPECT_EQ(state.Panel3Width, 70);
    EXPECT_EQ(rows.Cell(0, colEndTime), "00:02:31"); // 69 % of 220 s

    state.Panel2Width = 1;
    bar.Panel2MouseDown(true, true, false, false); // not wider than the step
    EXPECT_EQ(state.Panel2Width, 1);
    state.Panel2Width = 100;
    state.Panel3Width = 116; // 100 + 116 + 45 > 260
    bar.Panel2MouseDown(true, false, false, false);
    bar.Panel3MouseDown(true, false, false, false);
    EXPECT_EQ(state.Panel2Width, 100);
    EXPECT_EQ(state.Panel3Width, 116);
}

TEST_F(Sources_PreviewPlayerTests, StepsWhilePausedAndSetHereWriteTheCurrentPositionAsTheSelectedRowsTimes) {
    AddRow("/v/a.avi", "00:01:40");
    Select({0});
    bar.SetStartHere(); // nothing loaded
    EXPECT_EQ(Cells(0), "00:00:00 00:01:40 00:01:40");

    player.btnPlayClick();
    player.StepSeconds(10); // playing: no stepping
    EXPECT_EQ(media.position, 0);
    player.btnPauseClick();
    player.StepSeconds(10);
    player.StepSeconds(10);
    player.StepSeconds(-1);
    player.StepPicture(true);
    EXPECT_EQ(player.pnlCurTime(), "00:00:19.0");
    bar.SetStartHere();
    player.StepSeconds(60);
    player.StepSeconds(-5);
    bar.SetEndHere();
    EXPECT_EQ(Cells(0), "00:00:19 00:01:14 00:00:55");
    EXPECT_EQ(state.SelectedStartSeconds, 19);
    EXPECT_EQ(state.SelectedEndText, "00:01:14");
    EXPECT_EQ(state.Panel2Width, TrimLeftWidthFor(19, 100));
    EXPECT_EQ(state.Panel3Width, TrimRightWidthFor(74, 100));
    player.StepSeconds(-500);
    EXPECT_EQ(media.position, 0);
    player.StepSeconds(500);
    EXPECT_EQ(media.position, 100 * UnitsPerSecond);
}

} // namespace

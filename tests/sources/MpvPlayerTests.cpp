// The preview's media layer on real libmpv, showing and playing nothing (vo=null, ao=null), with
// clips made by ffmpeg.
#include "sources/MpvPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QTest>

#include "sources/FfmpegMediaProbe.h"
#include "sources/PreviewPlayer.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace {

constexpr int64_t UnitsPerSecond = 10'000'000;
// Bounds of the waits for mpv's events: far beyond what any machine takes, never a timing claim.
constexpr int WaitLimitMs = 20'000;

bool PositionReaches(const MpvPlayer& player, double seconds) {
    return QTest::qWaitFor(
        [&] {
            return std::llabs(player.Position() - static_cast<int64_t>(seconds * UnitsPerSecond)) < 100'000;
        },
        WaitLimitMs);
}

// Loads the file and runs events until its load has ended: empty when it is loaded, else why not.
std::string Load(MpvPlayer& player, const std::string& path) {
    std::optional<std::string> ended;
    player.SetLoadHandler([&](const std::string& failure) { ended = failure; });
    EXPECT_EQ(player.Render(path), 0);
    EXPECT_FALSE(player.IsLoaded()); // loading has only begun
    const bool done = QTest::qWaitFor([&] { return ended.has_value(); }, WaitLimitMs);
    player.SetLoadHandler(nullptr);
    return done ? *ended : "the load never ended";
}

bool SeekDone(const MpvPlayer& player) {
    return QTest::qWaitFor([&] { return !player.IsSeeking(); }, WaitLimitMs);
}

class Sources_MpvPlayerTests : public testing::Test {
protected:
    TempDir clips;
    std::string clip =
        MakeClip(clips, "clip.avi", {8.0, "160x120", 25, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    FfmpegMediaProbe probe;
    MpvPlayer player{probe, MpvOutput::None};
};

TEST_F(Sources_MpvPlayerTests, PlaysTicksPausesSeeksAndStepsPictures) {
    EXPECT_THROW(player.Render(clip), std::logic_error); // no graph yet
    player.SetActive(true);
    ASSERT_EQ(Load(player, clip), "");
    EXPECT_TRUE(player.IsLoaded());
    EXPECT_EQ(player.DurationMs(), 8000);

    // Each tick tells where playing has got to, and the duration.
    std::vector<uint64_t> ticks;
    player.SetTickHandler([&](uint64_t current, uint64_t duration) {
        ticks.push_back(current);
        EXPECT_EQ(duration, 8000u);
    });
    player.Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 2; }, WaitLimitMs));
    player.Pause();
    EXPECT_GT(ticks[0], 0u);
    EXPECT_GT(ticks[1], ticks[0]);
    const std::size_t ticksWhilePlaying = ticks.size();

    int moves = 0;
    player.SetPositionHandler([&] { ++moves; });
    player.SetPosition(16 * UnitsPerSecond / 10); // picture 40 of 25 a second
    EXPECT_TRUE(SeekDone(player));
    EXPECT_TRUE(PositionReaches(player, 1.6));
    player.StepPicture(true);
    EXPECT_TRUE(PositionReaches(player, 1.64));
    player.StepPicture(false);
    EXPECT_TRUE(SeekDone(player));
    EXPECT_TRUE(PositionReaches(player, 1.6));
    EXPECT_GT(moves, 0);
    EXPECT_EQ(ticks.size(), ticksWhilePlaying); // paused: no tick

    // Played to its end, the file keeps its last picture and its position is its duration.
    player.SetPosition(78 * UnitsPerSecond / 10);
    player.Run();
    EXPECT_TRUE(PositionReaches(player, 8.0));
    player.Stop();
    player.SetActive(false);
    EXPECT_EQ(player.Position(), 0);
}

TEST_F(Sources_MpvPlayerTests,
       FileThatCannotBePlayedEndsItsLoadWithTheReasonAndAReplacedLoadIsNeverReported) {
    const std::string broken = MakeClipWithUndecodableAudio(clips, "no audio decoder.avi", 2.0);
    player.SetActive(true);
    EXPECT_NE(Load(player, broken).find("no decoder"), std::string::npos);
    EXPECT_NE(Load(player, clips.Folder() + "missing.avi"), "");
    EXPECT_FALSE(player.IsLoaded());

    std::vector<std::string> ends;
    player.SetLoadHandler([&](const std::string& failure) { ends.push_back(failure); });
    player.Render(broken);
    player.Render(clip);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ends.empty(); }, WaitLimitMs));
    EXPECT_EQ(ends, std::vector<std::string>{""}); // the player is still usable
    EXPECT_TRUE(player.IsLoaded());
}

TEST_F(Sources_MpvPlayerTests, PreviewPausesAtTheFileStartWhenPlayingReachesTheChosenEnd) {
    SourceList rows;
    rows.SetSelected(rows.AppendRow(), true);
    rows.SetCell(0, colFileName, clip);
    TrimBarState selection;
    selection.SelectedEndText = "00:00:02";
    std::vector<std::string> log;
    PreviewPlayer preview(player, rows, selection, [&](const std::string& line) { log.push_back(line); });

    preview.btnPlayClick();
    ASSERT_TRUE(preview.PreviewPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !preview.PreviewPlaying(); }, WaitLimitMs));
    EXPECT_TRUE(PositionReaches(player, 0.0));
    EXPECT_EQ(preview.pnlCurTime(), "00:00:00.0");
    EXPECT_EQ(preview.PreviewPath(), clip);
    EXPECT_TRUE(log.empty());
}

} // namespace

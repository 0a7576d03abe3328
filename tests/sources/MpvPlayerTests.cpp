// The preview's media layer on real libmpv, showing and playing nothing (vo=null, ao=null), with
// clips made by ffmpeg.
#include "sources/MpvPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <QTest>

#include "sources/FfmpegMediaProbe.h"
#include "sources/PreviewPlayer.h"
#include "support/QtEventPump.h"
#include "support/SteadyClock.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace {

constexpr int64_t UnitsPerSecond = 10'000'000;

bool PositionReaches(const MpvPlayer& player, double seconds) {
    return QTest::qWaitFor(
        [&] {
            return std::llabs(player.Position() - static_cast<int64_t>(seconds * UnitsPerSecond)) < 100'000;
        },
        3000);
}

class Sources_MpvPlayerTests : public testing::Test {
protected:
    TempDir clips;
    std::string clip =
        MakeClip(clips, "clip.avi", {4.0, "160x120", 25, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    FfmpegMediaProbe probe;
    MpvPlayer player{probe, MpvOutput::None};
};

TEST_F(Sources_MpvPlayerTests, PlaysTicksPausesSeeksAndStepsPictures) {
    EXPECT_THROW(player.Render(clip), std::logic_error); // no graph yet
    player.SetActive(true);
    ASSERT_EQ(player.Render(clip), 0);
    EXPECT_EQ(player.DurationMs(), 4000);

    std::vector<uint64_t> ticks;
    player.SetTickHandler([&](uint64_t current, uint64_t duration) {
        ticks.push_back(current);
        EXPECT_EQ(duration, 4000u);
    });
    player.Run();
    QTest::qWait(2300);
    player.Pause();
    ASSERT_GE(ticks.size(), 2u);
    EXPECT_NEAR(static_cast<double>(ticks[0]), 1000, 300);
    EXPECT_NEAR(static_cast<double>(ticks[1]), 2000, 300);
    const std::size_t ticksWhilePlaying = ticks.size();
    QTest::qWait(1100);
    EXPECT_EQ(ticks.size(), ticksWhilePlaying); // paused: no tick

    int moves = 0;
    player.SetPositionHandler([&] { ++moves; });
    player.SetPosition(16 * UnitsPerSecond / 10); // picture 40 of 25 a second
    EXPECT_TRUE(PositionReaches(player, 1.6));
    QTest::qWait(500); // the position reads as the seek's target before the picture is there
    player.StepPicture(true);
    EXPECT_TRUE(PositionReaches(player, 1.64));
    player.StepPicture(false);
    EXPECT_TRUE(PositionReaches(player, 1.6));
    EXPECT_GT(moves, 0);

    // Played to its end, the file keeps its last picture and its position is its duration.
    player.SetPosition(38 * UnitsPerSecond / 10);
    player.Run();
    EXPECT_TRUE(PositionReaches(player, 4.0));
    player.Stop();
    player.SetActive(false);
    EXPECT_EQ(player.Position(), 0);
}

TEST_F(Sources_MpvPlayerTests, FileWithAnUndecodableAudioStreamDoesNotRender) {
    const std::string broken = MakeClipWithUndecodableAudio(clips, "no audio decoder.avi", 2.0);
    player.SetActive(true);
    EXPECT_THROW(player.Render(broken), std::runtime_error);
    EXPECT_THROW(player.Render(clips.Folder() + "missing.avi"), std::runtime_error);
    EXPECT_EQ(player.Render(clip), 0); // the player is still usable
}

TEST_F(Sources_MpvPlayerTests, PreviewPausesAtTheFileStartWhenPlayingReachesTheChosenEnd) {
    SourceList rows;
    rows.SetSelected(rows.AppendRow(), true);
    rows.SetCell(0, colFileName, clip);
    TrimBarState selection;
    selection.SelectedEndText = "00:00:02";
    QtEventPump pump;
    SteadyClock clock;
    std::vector<std::string> log;
    PreviewPlayer preview(player, rows, selection, pump, clock,
                          [&](const std::string& line) { log.push_back(line); });

    preview.btnPlayClick();
    ASSERT_TRUE(preview.PreviewPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !preview.PreviewPlaying(); }, 4000));
    EXPECT_TRUE(PositionReaches(player, 0.0));
    EXPECT_EQ(preview.pnlCurTime(), "00:00:00.0");
    EXPECT_EQ(preview.PreviewPath(), clip);
    EXPECT_TRUE(log.empty());
}

} // namespace

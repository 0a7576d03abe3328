// A cut without re-encoding on the whole program under a real X display: the grid shows where the
// output will really start, the trim bar shows the key frames and snaps the start to them, and the
// paused preview steps between them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTest>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "profiles/Catalogue.h"
#include "sources/PreviewPanel.h"
#include "sources/SourceGridView.h"
#include "sources/TrimBarView.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/DropFiles.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace {

// Bounds of the waits for the player's events: far beyond what any machine takes, never a timing claim.
constexpr int WaitLimitMs = 20'000;
constexpr int64_t PictureMs = 40;

int CopyTypePosition() {
    const auto& types = OutputTypes();
    for (std::size_t position = 0; position < types.size(); ++position)
        if (types[position].style == OptionStyle::StreamCopy)
            return static_cast<int>(position);
    return -1;
}

class App_KeyFrameFlowTests : public testing::Test {
protected:
    App_KeyFrameFlowTests() {
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
    }

    QString StartCell(int role) {
        QAbstractItemModel& grid = *program.MainForm().dxTreeSourceFileInfo->model();
        return grid.data(grid.index(0, colStartTime), role).toString();
    }
    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(program.MainForm().windowHandle(), key, modifiers);
    }
    bool PreviewNear(int64_t ms) {
        return QTest::qWaitFor([&] { return std::abs(program.Preview().CurrentMs() - ms) < PictureMs; },
                               WaitLimitMs);
    }

    TestProgramFolder folder;
    TempDir clips;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    ProgramShell program{folder.Folder(), boxes, [] {}, ShortPauses(shell, power)};
};

TEST_F(App_KeyFrameFlowTests, TheGridTheTrimBarAndThePreviewFollowTheKeyFrames) {
    const std::string clip = MakeClip(
        clips, "gop2.mp4",
        {9.0,
         "160x90",
         25,
         0,
         {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-x264-params", "keyint=50:min-keyint=50:scenecut=0"}});
    DropFiles(program.MainForm(), {clip});
    program.SourceController().WaitForMeasurements();
    ASSERT_EQ(program.Sources().RowCount(), 1u);
    program.Sources().SetCell(0, colStartTime, "00:00:05");
    program.Choices().SetCut(CutMode::KeyFrames);
    EXPECT_EQ(StartCell(Qt::DisplayRole), "00:00:05"); // re-encoding starts where typed

    program.Options().cbbOutputFiletype.SelectByUser(CopyTypePosition());
    program.CopyFacts().WaitForFacts({clip});
    EXPECT_EQ(StartCell(Qt::DisplayRole), "00:00:04.000 (key frame)");
    SourceGridView& grid = *program.MainForm().dxTreeSourceFileInfo;
    EXPECT_GE(grid.header()->sectionSize(colStartTime),
              grid.fontMetrics().horizontalAdvance(StartCell(Qt::DisplayRole)))
        << "the real start is shown whole";
    EXPECT_TRUE(
        StartCell(Qt::ToolTipRole).startsWith("Without re-encoding, the output starts at the key frame"));
    EXPECT_EQ(StartCell(Qt::EditRole), "00:00:05");
    EXPECT_EQ(program.Sources().Cell(0, colStartTime), "00:00:05"); // the typed start is kept
    program.Choices().SetCut(CutMode::Exact);                       // this H.264 source is cut exactly
    EXPECT_EQ(StartCell(Qt::DisplayRole), "00:00:05");
    program.Choices().SetCut(CutMode::KeyFrames);

    // The bar ticks its five key frames; the start handle let go at 7 s snaps back to the one at 6 s.
    TrimBarView& bar = *program.PreviewPanel().Panel1;
    EXPECT_EQ(program.TrimState().KeyFrameTicks.size(), 5u);
    EXPECT_TRUE(bar.KeyFrameTicks->isVisible());
    EXPECT_EQ(bar.KeyFrameTicks->accessibleName(), "Key frames");
    const QPoint grip = bar.Splitter1->rect().center();
    QTest::mousePress(bar.Splitter1, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(bar.Splitter1, grip + QPoint(171 - bar.Panel2->width(), 0)); // 78 %: 7 s
    QTest::mouseRelease(bar.Splitter1, Qt::LeftButton, Qt::NoModifier, grip);
    EXPECT_EQ(program.Sources().Cell(0, colStartTime), "00:00:06");
    EXPECT_LT(bar.Splitter1->x(), 171);

    // Alt+] and Alt+[ step the paused preview from key frame to key frame.
    Keys(Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !program.Preview().IsLoading(); }, WaitLimitMs));
    Keys(Qt::Key_U, Qt::ControlModifier);
    ASSERT_TRUE(program.Preview().IsPaused());
    program.Preview().SeekPreview(1000);
    ASSERT_TRUE(PreviewNear(1000));
    for (const auto& [key, expected] :
         {std::pair{Qt::Key_BracketRight, 2000}, std::pair{Qt::Key_BracketRight, 4000},
          std::pair{Qt::Key_BracketLeft, 2000}}) {
        Keys(key, Qt::AltModifier);
        EXPECT_TRUE(PreviewNear(expected)) << expected << " " << program.Preview().CurrentMs();
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace

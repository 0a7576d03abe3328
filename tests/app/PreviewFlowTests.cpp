// The preview and the trim bar on the whole program under a real X display (Xvfb, Mesa's software
// OpenGL): real clips dropped on the window, played by libmpv into the video window, trimmed with
// the handles and converted by the program's own transcoder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "sources/PreviewPanel.h"
#include "sources/TrimBarView.h"
#include "sources/VideoWindow.h"
#include "support/Text.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/DropFiles.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "widgets/BitmapButton.h"

namespace fs = std::filesystem;

namespace {

// Bounds of the waits for the player's events: far beyond what any machine takes, never a timing claim.
constexpr int WaitLimitMs = 20'000;

// Drags a trim handle sideways by the given number of pixels and lets it go.
void DragHandle(QWidget& handle, int pixels) {
    const QPoint grip = handle.rect().center();
    QTest::mousePress(&handle, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(&handle, grip + QPoint(pixels, 0));
    QTest::mouseRelease(&handle, Qt::LeftButton, Qt::NoModifier, grip);
}

bool ShowsAPicture(const QImage& frame) {
    for (int y = 0; y < frame.height(); y += 7)
        for (int x = 0; x < frame.width(); x += 7)
            if (qGray(frame.pixel(x, y)) > 40)
                return true;
    return false;
}

class App_PreviewFlowTests : public testing::Test {
protected:
    App_PreviewFlowTests() {
        folder.AddTranscoders();
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
        program.Choices().SetOutputFolder(OutputFolder());
    }

    std::string OutputFolder() const { return (folder.Path() / "out").string(); }
    TPreviewPanel& Panel() { return program.PreviewPanel(); }
    // Runs events until the video window has drawn `count` more pictures.
    bool PicturesDrawn(int count) {
        int drawn = 0;
        const QMetaObject::Connection counting =
            QObject::connect(Panel().DSVideoWindowEx1, &TVideoWindow::PictureDrawn, [&] { ++drawn; });
        const bool done = QTest::qWaitFor([&] { return drawn >= count; }, WaitLimitMs);
        QObject::disconnect(counting);
        return done;
    }
    QImage Frame() { return Panel().DSVideoWindowEx1->grabFramebuffer(); }
    void PressKey(Qt::Key key) {
        QTest::keyClick(program.MainForm().windowHandle(), key, Qt::ControlModifier);
    }
    std::string Log() const {
        std::ifstream file(folder.Path() / "log.txt");
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    TestProgramFolder folder;
    TempDir clips;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    ProgramShell program{folder.Folder(), boxes, [] {}, ShortPauses(shell, power)};
};

TEST_F(App_PreviewFlowTests, CtrlPShowsMovingPicturesCtrlUHoldsOneCtrlTBringsTheLogoBack) {
    const std::string clip =
        MakeClip(clips, "moving.avi", {8.0, "320x240", 25, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    DropFiles(program.MainForm(), {clip});
    program.SourceController().WaitForMeasurements();
    ASSERT_EQ(program.Sources().RowCount(), 1u);
    ASSERT_NE(Panel().DSVideoWindowEx1, nullptr);
    ASSERT_TRUE(Panel().DSVideoWindowEx1->CanShowPictures());
    QLabel& logo = *Panel().DSVideoWindowEx1->panLogo;
    EXPECT_TRUE(logo.isVisible());

    // The key comes back while the file still loads: loading holds the window up at no point.
    PressKey(Qt::Key_P);
    EXPECT_TRUE(program.Preview().IsLoading());
    EXPECT_TRUE(program.Preview().PreviewPlaying());
    ASSERT_TRUE(PicturesDrawn(1));
    EXPECT_FALSE(program.Preview().IsLoading());
    EXPECT_FALSE(logo.isVisible());
    const QImage first = Frame();
    ASSERT_TRUE(PicturesDrawn(10));
    EXPECT_TRUE(ShowsAPicture(first));
    EXPECT_TRUE(ShowsAPicture(Frame()));
    EXPECT_NE(first, Frame());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Panel().pnlCurTime->text() != "00:00:00"; }, WaitLimitMs));

    // Minimized, the window pauses playing; restored, it plays on.
    program.MainForm().showMinimized();
    EXPECT_FALSE(program.Preview().PreviewPlaying());
    program.MainForm().showNormal();
    EXPECT_TRUE(program.Preview().PreviewPlaying());

    PressKey(Qt::Key_U);
    EXPECT_FALSE(program.Preview().PreviewPlaying());
    EXPECT_FALSE(logo.isVisible());
    EXPECT_TRUE(QRegularExpression("^00:00:0\\d\\.\\d$").match(Panel().pnlCurTime->text()).hasMatch())
        << Panel().pnlCurTime->text().toStdString();

    // Alt+Left steps a second back; Alt+Home makes it the row's start.
    const int64_t pausedAt = program.Preview().CurrentSeconds();
    QTest::keyClick(program.MainForm().windowHandle(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return program.Preview().CurrentSeconds() == pausedAt - 1; }, WaitLimitMs));
    QTest::keyClick(program.MainForm().windowHandle(), Qt::Key_Home, Qt::AltModifier);
    EXPECT_EQ(program.Sources().Cell(0, colStartTime), SecondsToTimeText(pausedAt - 1));
    EXPECT_FALSE(program.Preview().PreviewPlaying());

    PressKey(Qt::Key_T);
    EXPECT_TRUE(logo.isVisible());
    EXPECT_EQ(Panel().pnlCurTime->text(), "00:00:00");
    EXPECT_EQ(program.Preview().PreviewPath(), "");
}

// A file whose audio no decoder reads plays nothing; the log says which file and why.
TEST_F(App_PreviewFlowTests, AFileThatCannotBePlayedIsLoggedWithItsReason) {
    const std::string broken = MakeClipWithUndecodableAudio(clips, "broken audio.avi", 3.0);
    const std::size_t row = program.Sources().AppendRow();
    program.Sources().SetCell(row, colFileName, broken);
    program.Sources().SelectOnly(row);
    PressKey(Qt::Key_P);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program.Preview().IsLoading(); }, WaitLimitMs));
    EXPECT_NE(
        Log().find("|Playing Video error. " + broken + ": no decoder for one of its audio or video streams"),
        std::string::npos)
        << Log();
    EXPECT_FALSE(program.Preview().PreviewPlaying());
    EXPECT_EQ(program.Preview().PreviewPath(), "");
    EXPECT_TRUE(Panel().DSVideoWindowEx1->panLogo->isVisible());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(App_PreviewFlowTests, HandlesDraggedToTheMiddleAndTheFarRightConvertExactlyThatPart) {
    const std::string clip =
        MakeClip(clips, "long.avi", {100.0, "64x48", 5, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    DropFiles(program.MainForm(), {clip});
    program.SourceController().WaitForMeasurements();
    ASSERT_EQ(program.Sources().RowCount(), 1u);
    PressKey(Qt::Key_P);
    ASSERT_TRUE(program.Preview().PreviewPlaying());

    TrimBarView& bar = *Panel().Panel1;
    DragHandle(*bar.Splitter1, 111 - bar.Panel2->width()); // the middle: 50 %
    EXPECT_EQ(program.Sources().Cell(0, colStartTime), "00:00:50");
    EXPECT_EQ(program.Sources().Cell(0, colCutTime), "00:00:50");
    EXPECT_EQ(bar.Splitter1->x(), 111);
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.Preview().CurrentSeconds() >= 50; }, WaitLimitMs));
    EXPECT_LE(program.Preview().CurrentSeconds(), 52);

    DragHandle(*bar.Splitter2, 300); // as far right as it goes: 101 %
    EXPECT_EQ(program.Sources().Cell(0, colEndTime), "00:01:41");
    EXPECT_EQ(program.Sources().Cell(0, colCutTime), "00:00:51");
    EXPECT_EQ(bar.Panel3->width(), 1);

    PressKey(Qt::Key_T);
    PressKey(Qt::Key_S);
    EXPECT_EQ(program.Batch().State().FilesDone, 1);
    ASSERT_TRUE(fs::is_directory(OutputFolder()));
    std::vector<fs::path> outputs;
    for (const auto& entry : fs::directory_iterator(OutputFolder()))
        outputs.push_back(entry.path());
    ASSERT_EQ(outputs.size(), 1u) << Log();
    const MediaReport report = CheckMedia(outputs.front().string());
    EXPECT_TRUE(report.opened) << report.openError;
    EXPECT_EQ(report.errors, 0);
    // From 50 s to the end of the 100-second source.
    EXPECT_NEAR(report.videoSeconds, 50.0, 0.5);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Every control of the preview has a place of its own inside the preview's column of the window,
// and every button wears the skin and is found by its name.
TEST_F(App_PreviewFlowTests, PreviewControlsStandApartInsideTheirColumnAndEveryButtonIsSkinned) {
    TPreviewPanel& panel = Panel();
    EXPECT_EQ(QRect(panel.mapTo(&program.MainForm(), QPoint(0, 0)), panel.size()), QRect(21, 86, 260, 232));
    QList<QWidget*> controls = panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    // The message for a file that cannot be played lies over the video window, inside it.
    ASSERT_EQ(controls.removeAll(panel.lblPreviewMessage), 1);
    const QWidget* video = controls.front(); // the first control made
    EXPECT_TRUE(video->geometry().contains(panel.lblPreviewMessage->geometry()));
    ASSERT_EQ(controls.size(), 14); // video, trim bar, clock and eleven buttons
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QWidget* control = controls[i];
        const std::string name = control->objectName().toStdString();
        EXPECT_TRUE(panel.rect().contains(control->geometry())) << name;
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(control->geometry().intersects(controls[j]->geometry()))
                << name << " and " << controls[j]->objectName().toStdString();
        if (control->inherits("QAbstractButton")) {
            EXPECT_NE(qobject_cast<const BitmapButton*>(control), nullptr) << name;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
        }
    }
}

// Nothing redraws a still preview: a paused picture and a trim bar that does not move cost no
// drawing, which on a window holding the OpenGL video would recompose the whole window each time.
TEST_F(App_PreviewFlowTests, AStillTrimBarIsNotDrawnAgain) {
    const std::string clip =
        MakeClip(clips, "still.avi", {4.0, "320x240", 25, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    DropFiles(program.MainForm(), {clip});
    program.SourceController().WaitForMeasurements();
    ASSERT_EQ(program.Sources().RowCount(), 1u);
    TrimBarView& bar = *Panel().Panel1;
    int repaintRounds = 0;
    QObject::connect(bar.tmrPaintSP, &QTimer::timeout, [&] { ++repaintRounds; });
    const auto roundsPass = [&](int rounds) {
        const int until = repaintRounds + rounds;
        return QTest::qWaitFor([&] { return repaintRounds >= until; }, WaitLimitMs);
    };
    ASSERT_TRUE(roundsPass(2)); // what the drop left to draw is drawn

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject* /*watched*/, QEvent* event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    bar.Splitter1->installEventFilter(&counter);
    bar.Splitter2->installEventFilter(&counter);
    ASSERT_TRUE(roundsPass(5));
    EXPECT_EQ(counter.paints, 0);
    bar.Splitter1->move(bar.Splitter1->x() + 40, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, WaitLimitMs));
}

} // namespace

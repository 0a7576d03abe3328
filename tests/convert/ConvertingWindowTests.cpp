#include <gtest/gtest.h>

#include <cstdlib>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "convert/ConvertingWindow.h"

namespace {

class Convert_ConvertingWindowTests : public testing::Test {
protected:
    Convert_ConvertingWindowTests() {
        window.SetHandlers({
            .tmrChangingTimer = [this] { ++ticks; },
            .btnStop1Click = [this] { ++stops; },
            .FormClose = [this] { ++closes; },
        });
    }

    ConvertingState state;
    TfrmConverting window{state};
    int ticks = 0;
    int stops = 0;
    int closes = 0;
};

TEST_F(Convert_ConvertingWindowTests, StartsHiddenWithItsCaptionSizeAndTexts) {
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Converting");
    EXPECT_EQ(window.size(), QSize(435, 222));
    EXPECT_EQ(window.lblInfo->text(), "Please wait . . .");
    EXPECT_EQ(window.lblCurConvertFileL->text(), "Current Convert File:");
    EXPECT_EQ(window.lblTotalFilr->text(), "Total File:");
    EXPECT_EQ(window.lblCurprog->text(), "Current File:");
    EXPECT_EQ(window.lblPersent->text(), "Current: 1, Total: ...");
    EXPECT_EQ(window.btnStop->text(), "Stop");
    EXPECT_TRUE(window.statStatePanel->text().isEmpty());
    EXPECT_EQ(window.tmrChanging->interval(), 500);
    EXPECT_TRUE(window.tmrChanging->isActive());
}

TEST_F(Convert_ConvertingWindowTests, ShowsTheStateWhenTheLogicChangesIt) {
    state.lblInfo = "Converting  /";
    state.lblCurFileName = "/videos/a b.avi";
    state.lblPersent = "Current: 2 , Total: 3.";
    state.lblTimeLeft = "about 120 min left";
    state.pbTotal.SetMaximum(300);
    state.pbTotal.SetPosition(150);
    state.ProgressBar1.SetMaximum(60);
    state.ProgressBar1.SetPosition(12);
    state.statState = "frame=  10 fps=0.0 q=0.0 size= 0kB time=00:00:12.00 bitrate=";
    state.Changed();

    EXPECT_EQ(window.lblInfo->text(), "Converting  /");
    EXPECT_EQ(window.lblCurFileName->text(), "/videos/a b.avi");
    EXPECT_EQ(window.lblPersent->text(), "Current: 2 , Total: 3.");
    EXPECT_EQ(window.lblTimeLeft->text(), "about 120 min left");
    // The time left is read whole beside the counter, left of the stop button.
    EXPECT_LE(window.lblTimeLeft->sizeHint().width(), window.lblTimeLeft->width());
    EXPECT_LE(window.lblTimeLeft->geometry().right(), window.btnStop->geometry().left());
    EXPECT_EQ(window.pbTotal->maximum(), 300);
    EXPECT_EQ(window.pbTotal->value(), 150);
    EXPECT_EQ(window.ProgressBar1->maximum(), 60);
    EXPECT_EQ(window.ProgressBar1->value(), 12);
    EXPECT_EQ(window.statStatePanel->text().toStdString(), state.statState);

    // An emptied bar (after a stop) shows empty, not as a busy indicator.
    state.pbTotal.SetMaximum(0);
    state.pbTotal.SetPosition(0);
    state.Changed();
    EXPECT_GT(window.pbTotal->maximum(), window.pbTotal->minimum());
    EXPECT_EQ(window.pbTotal->value(), 0);
}

TEST_F(Convert_ConvertingWindowTests, CentresOnTheOwner) {
    QWidget owner;
    owner.setGeometry(100, 100, 692, 456);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    window.ShowCentredOn(&owner);
    const QPoint offset = window.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 2) << offset.x();
    EXPECT_LE(std::abs(offset.y()), 2) << offset.y();

    // Showing it again while it is up leaves it where the user put it.
    window.move(window.pos() + QPoint(30, 20));
    const QPoint moved = window.pos();
    window.ShowCentredOn(&owner);
    EXPECT_EQ(window.pos(), moved);
}

TEST_F(Convert_ConvertingWindowTests, ForwardsStopCloseAndTheSpinnerTimer) {
    window.ShowCentredOn(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.btnStop, Qt::LeftButton);
    EXPECT_EQ(stops, 1);

    // Escape is no way to close it; a close runs the handler and hides the window whatever it did.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closes, 0);
    window.close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(window.isVisible());

    // The spinner keeps running while the window is hidden.
    QSignalSpy timeouts(window.tmrChanging, &QTimer::timeout);
    ASSERT_TRUE(timeouts.wait(5000));
    EXPECT_GE(ticks, 1);
}

} // namespace

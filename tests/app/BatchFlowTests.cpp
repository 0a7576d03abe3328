#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "convert/ConvertingWindow.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/convert/RealProcesses.h"

namespace {

// The whole program with a short timing profile, the fake transcoder as trenc in its folder.
class App_BatchFlowTests : public testing::Test {
protected:
    App_BatchFlowTests() {
        std::filesystem::create_directory(folder.Path() / "Config");
        std::filesystem::copy_file(RIVAMO_FAKE_TRANSCODER, folder.Path() / "trenc");
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
        program.Choices().SetOutputFolder((folder.Path() / "out").string());
        program.Choices().SetShowOutputDirectory(true);
    }

    void AddRow(const std::string& name, bool checked) {
        SourceList& sources = program.Sources();
        const std::size_t row = sources.AppendRow();
        const std::string path = folder.WriteFile(name, "not really a video");
        const std::vector<std::string> cells = {checked ? CheckedText : UncheckedText,
                                                path,
                                                "18 B",
                                                "00:00:10",
                                                "00:00:00",
                                                "00:00:10",
                                                "00:00:10"};
        for (std::size_t column = 0; column < cells.size(); ++column)
            sources.SetCell(row, column, cells[column]);
    }

    void PressCtrlS() { QTest::keyClick(program.MainForm().windowHandle(), Qt::Key_S, Qt::ControlModifier); }

    std::string Log() const { return TempDir::ReadFile(folder.Path() / "log.txt"); }

    TestProgramFolder folder;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    int endings = 0;
    ProgramShell program{folder.Folder(), boxes, [this] { ++endings; }, ShortPauses(shell, power)};
};

TEST_F(App_BatchFlowTests, ConvertsTheCheckedRowsWithTheProgressWindowUpAndTheMainWindowDisabled) {
    AddRow("a.avi", true);
    AddRow("b.avi", false);
    std::vector<bool> mainEnabledWhileUp;
    std::vector<QString> statusTexts;
    int longestBar = 0;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        TfrmConverting& progress = program.ProgressForm();
        if (!progress.isVisible())
            return;
        mainEnabledWhileUp.push_back(program.MainForm().isEnabled());
        if (!progress.statStatePanel->text().isEmpty())
            statusTexts.push_back(progress.statStatePanel->text());
        longestBar = std::max(longestBar, progress.ProgressBar1->value());
    });
    watch.start();
    PressCtrlS();
    watch.stop();

    EXPECT_EQ(program.Batch().State().FilesDone, 1);
    ASSERT_FALSE(mainEnabledWhileUp.empty());
    EXPECT_EQ(std::count(mainEnabledWhileUp.begin(), mainEnabledWhileUp.end(), true), 0);
    ASSERT_FALSE(statusTexts.empty());
    EXPECT_TRUE(statusTexts.back().contains(" time=")) << statusTexts.back().toStdString();
    EXPECT_GT(longestBar, 0);
    EXPECT_EQ(program.ProgressForm().lblCurFileName->text().toStdString(),
              program.Sources().Cell(0, colFileName));

    // Afterwards: windows restored, the end action run, one parameter line in the log.
    EXPECT_TRUE(program.MainForm().isEnabled());
    EXPECT_FALSE(program.ProgressForm().isVisible());
    ASSERT_EQ(shell.folders.size(), 1u);
    EXPECT_EQ(shell.folders[0], (folder.Path() / "out").string() + "/");
    EXPECT_EQ(power.powerOffs, 0);
    EXPECT_NE(Log().find("|parameter: " + folder.Folder() + "trenc"), std::string::npos) << Log();
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(App_BatchFlowTests, ConfirmedStopEndsTheBatchWithoutEndActions) {
    AddRow("a.avi", true);
    AddRow("b.avi", true);
    boxes.QueueAnswer(IdNo);
    boxes.QueueAnswer(IdYes);
    int clicks = 0;
    QTimer stopper;
    stopper.setInterval(20);
    // The first click is answered No and changes nothing; the second, Yes.
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        TfrmConverting& progress = program.ProgressForm();
        if (!progress.isVisible() || progress.statStatePanel->text().isEmpty() || clicks == 2)
            return;
        ++clicks;
        QTest::mouseClick(progress.btnStop, Qt::LeftButton);
        if (clicks == 1) {
            EXPECT_TRUE(progress.isVisible());
        }
    });
    stopper.start();
    PressCtrlS();
    stopper.stop();

    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Are you sure you want to stop the work ? ");
    EXPECT_EQ(boxes.Boxes()[1].icon, MessageIcon::None);
    EXPECT_EQ(boxes.Boxes()[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(program.Batch().State().FilesDone, 1); // the second row was skipped
    EXPECT_TRUE(shell.folders.empty());
    EXPECT_TRUE(program.MainForm().isEnabled());
    EXPECT_FALSE(program.ProgressForm().isVisible());
    EXPECT_EQ(program.ProgressForm().lblPersent->text(), "Current: 1, Total: ...");
    EXPECT_TRUE(OwnChildrenTable().Snapshot()->empty());
}

TEST_F(App_BatchFlowTests, ConfirmedCloseSkipsTheRestButRunsTheEndActions) {
    AddRow("a.avi", true);
    AddRow("b.avi", true);
    boxes.QueueAnswer(IdYes);
    bool closed = false;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        TfrmConverting& progress = program.ProgressForm();
        if (closed || !progress.isVisible() || progress.statStatePanel->text().isEmpty())
            return;
        closed = true;
        progress.close();
    });
    closer.start();
    PressCtrlS();
    closer.stop();

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Are you sure to stop processing ?");
    EXPECT_EQ(program.Batch().State().FilesDone, 1);
    EXPECT_EQ(shell.folders.size(), 1u);
    EXPECT_TRUE(program.MainForm().isEnabled());
    EXPECT_FALSE(program.ProgressForm().isVisible());
}

} // namespace

// Real batches on the whole program with the program's own transcoder, on a real display: the
// checks before and after every file, the summary, and the end actions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "convert/BatchSummaryWindow.h"
#include "support/Text.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace fs = std::filesystem;

namespace {

constexpr double ClipSeconds = 3;

std::string ProgramDir() {
    const char* dir = std::getenv("RIVAMO_PROGRAM_DIR");
    return dir != nullptr ? dir : RIVAMO_PROGRAM_DIR_DEFAULT;
}

int RunShell(const std::string& command) {
    return std::system(command.c_str());
}

class App_BatchTrustFlowTests : public testing::Test {
protected:
    App_BatchTrustFlowTests() {
        for (const char* name : {"trenc", "rtrenc"})
            fs::copy_file(fs::path(ProgramDir()) / name, folder.Path() / name);
        fs::create_directories(folder.Path() / "Config");
        fs::create_directories(Output());
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
        program.Choices().SetOutputFolder(Output());
        if (qEnvironmentVariableIsSet("DISPLAY")) {
            EXPECT_EQ(QGuiApplication::platformName().toStdString(), "xcb");
        }
    }

    std::string Output() const { return (folder.Path() / "out").string(); }

    std::string AddClip(const std::string& name) {
        const std::string path =
            MakeClip(clips, name, {ClipSeconds, "160x120", 25, 44100, {"-c:v", "mpeg4"}});
        SourceList& sources = program.Sources();
        const std::size_t row = sources.AppendRow();
        // The size the row shows is the file's: a size that differs reads as a source changed since.
        const std::string size = SizeText(static_cast<int64_t>(fs::file_size(path)));
        const std::vector<std::string> cells = {CheckedText, path,       size,      "00:00:03",
                                                "00:00:00",  "00:00:03", "00:00:03"};
        for (std::size_t column = 0; column < cells.size(); ++column)
            sources.SetCell(row, column, cells[column]);
        return path;
    }

    std::vector<std::string> FailureLines() const {
        std::vector<std::string> lines;
        const std::string log = TempDir::ReadFile(folder.Path() / "log.txt");
        for (std::size_t at = log.find("|Convert failed: "); at != std::string::npos;
             at = log.find("|Convert failed: ", at + 1))
            lines.push_back(log.substr(at + 1, log.find('\r', at) - at - 1));
        return lines;
    }

    // Turns the output folder read-only (a read-only bind mount over itself) or writable again.
    void SetReadOnly(bool readOnly) {
        const std::string out = "'" + Output() + "'";
        if (readOnly && !m_mounted)
            m_mounted = RunShell("mount --bind " + out + " " + out + " && mount -o remount,ro,bind " + out +
                                 " " + out) == 0;
        else if (!readOnly && m_mounted)
            m_mounted = RunShell("umount " + out) != 0;
    }
    bool m_mounted = false;

    void Convert() { QTest::keyClick(program.MainForm().windowHandle(), Qt::Key_S, Qt::ControlModifier); }

    TestProgramFolder folder;
    TempDir clips;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    RecordingDesktop desktop;
    int endings = 0;
    ProgramShell program{folder.Folder(), boxes, [this] { ++endings; }, ShortPauses(shell, power, &desktop)};
};

// A read-only bind mount stops even the superuser from writing; permission bits would not.
TEST_F(App_BatchTrustFlowTests, AMissingSourceAndAnUnwritableFolderAreFoundNamedAndLogged) {
    const std::string probe = folder.WriteFile("probe/x", "");
    const std::string probeDir = fs::path(probe).parent_path().string();
    if (geteuid() != 0 || RunShell("mount --bind '" + probeDir + "' '" + probeDir +
                                   "' 2>/dev/null && umount '" + probeDir + "'") != 0)
        GTEST_SKIP() << "a read-only bind mount needs the superuser and a mount namespace that allows it";
    const std::string first = AddClip("first.avi");
    const std::string gone = AddClip("gone.avi");
    const std::string blocked = AddClip("blocked.avi");
    const std::string unwritable = AddClip("unwritable.avi");
    const std::string last = AddClip("last.avi");
    fs::remove(gone);
    program.Choices().SetShutdown(true);
    boxes.QueueAnswer(IdYes);

    // The folder turns read-only once the third row has its partial output and before its transcoder
    // starts, so the transcoder cannot write; it is still read-only when the fourth row starts, whose
    // output cannot even be created; it is writable again from the fourth row's first window event.
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { SetReadOnly(program.Batch().State().SourcePath == blocked); });
    watch.start();
    Convert();
    watch.stop();
    SetReadOnly(false);

    ASSERT_FALSE(boxes.Boxes().empty());
    EXPECT_NE(boxes.Boxes()[0].text.find(gone + ": the file no longer exists."), std::string::npos);
    TfrmBatchSummary& summary = program.SummaryForm();
    ASSERT_TRUE(summary.isVisible());
    EXPECT_EQ(summary.lblCounts->text().toStdString(), "2 converted, 2 failed, 1 not converted.")
        << TempDir::ReadFile(folder.Path() / "log.txt");
    EXPECT_EQ(summary.lblNote->text().toStdString(),
              "The computer was not powered off because a file failed.");
    const auto failed = summary.lstResults->findItems(QString::fromStdString(blocked), Qt::MatchExactly);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0]->text(1), "Failed");
    EXPECT_FALSE(failed[0]->text(2).isEmpty());
    const auto converted = summary.lstResults->findItems(QString::fromStdString(last), Qt::MatchExactly);
    ASSERT_EQ(converted.size(), 1);
    EXPECT_EQ(converted[0]->text(4).toStdString(), "00:00:03");
    const std::vector<std::string> failures = FailureLines();
    ASSERT_EQ(failures.size(), 2u) << TempDir::ReadFile(folder.Path() / "log.txt");
    EXPECT_EQ(failures[0].rfind("Convert failed: " + blocked + " -> " + Output() + "/blocked.rm: ", 0), 0u)
        << failures[0];
    EXPECT_EQ(failures[0].find("the source changed"), std::string::npos) << failures[0];
    EXPECT_EQ(failures[1], "Convert failed: " + unwritable +
                               " -> : the output file could not be created: Read-only file system");
    EXPECT_EQ(power.powerOffs, 0);
    EXPECT_EQ(endings, 0);
    EXPECT_FALSE(desktop.holding);
    EXPECT_EQ(
        desktop.notifications,
        std::vector<std::string>{"Rivamo: conversion finished: 2 converted, 2 failed, 1 not converted."});

    summary.btnOpenFolder->click();
    EXPECT_EQ(shell.folders, std::vector<std::string>{Output() + "/"});
}

TEST_F(App_BatchTrustFlowTests, ABatchWhereEveryFileConvertsEndsExactlyAsBefore) {
    AddClip("one.avi");
    AddClip("two.avi");
    program.Choices().SetShowOutputDirectory(true);
    program.Choices().SetShutdown(true);

    Convert();

    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(program.SummaryForm().isVisible());
    EXPECT_TRUE(FailureLines().empty());
    EXPECT_EQ(program.Batch().State().FilesDone, 2);
    EXPECT_TRUE(fs::exists(Output() + "/one.rm") && fs::exists(Output() + "/two.rm"));
    EXPECT_EQ(shell.folders, std::vector<std::string>{Output() + "/"});
    EXPECT_EQ(power.powerOffs, 1);
    EXPECT_EQ(endings, 1);
}

} // namespace

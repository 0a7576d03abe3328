// The output type that copies every stream, on the whole program with its own transcoder, on the X
// display of the test run: clips that show their own time are cut at key frames and exactly, the
// outputs decoded and their first pictures read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "convert/BatchSummaryWindow.h"
#include "profiles/Catalogue.h"
#include "profiles/OptionWindow.h"
#include "sources/SourceGridView.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/BrowserPlay.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace fs = std::filesystem;

namespace {

constexpr double ClipSeconds = 8;
constexpr int FrameRate = 10;
constexpr double TimeTolerance = 0.15; // a frame or an audio packet either side
constexpr int BrowserLimitSeconds = 120;
constexpr int ProbeLimitMs = 60000;
// Key frames every 2 s; the rows cut 00:00:03 to 00:00:06, between two of them.
const std::vector<std::string> KeyFramesEvery2s = {"-g", "20", "-keyint_min", "20", "-sc_threshold"};

std::string ProgramDir() {
    const char* dir = std::getenv("RIVAMO_PROGRAM_DIR");
    return dir != nullptr ? dir : RIVAMO_PROGRAM_DIR_DEFAULT;
}

class App_CopyTypeFlowTests : public testing::Test {
protected:
    App_CopyTypeFlowTests() {
        fs::copy_file(fs::path(ProgramDir()) / "trenc", folder.Path() / "trenc");
        fs::create_directories(folder.Path() / "Config");
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
    }

    void AddRow(const std::string& path) {
        SourceList& sources = program.Sources();
        const std::size_t row = sources.AppendRow();
        const std::vector<std::string> cells = {CheckedText, path,       "1 KB",    "00:00:08",
                                                "00:00:03",  "00:00:06", "00:00:03"};
        for (std::size_t column = 0; column < cells.size(); ++column)
            sources.SetCell(row, column, cells[column]);
    }

    // Picks the cut in the Options dialog as the user does, with OK.
    void ChooseCut(QRadioButton* TfrmOption::*button) {
        TfrmOption& dialog = program.OptionForm();
        dialog.ShowOptions();
        QTest::mouseClick(dialog.*button, Qt::LeftButton, {}, QPoint(4, 8));
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    }

    std::string Convert() {
        const std::string out = (folder.Path() / ("out" + std::to_string(++m_batches))).string();
        program.Choices().SetOutputFolder(out);
        QTest::keyClick(program.MainForm().windowHandle(), Qt::Key_S, Qt::ControlModifier);
        return out + "/";
    }

    std::string Log() const { return TempDir::ReadFile(folder.Path() / "log.txt"); }

    TestProgramFolder folder;
    TempDir clips;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    RecordingDesktop desktop;
    ProgramShell program{folder.Folder(), boxes, [] {}, ShortPauses(shell, power, &desktop)};
    int m_batches = 0;
};

// An H.264 MP4 and an MPEG-4 Part 2 Matroska file: at key frames both start at the key frame
// before the start, as the tooltip's size foresaw; exactly, the MP4 starts at its start and plays
// in a browser, and the Matroska file, which cannot be cut exactly, starts at its key frame and
// the summary says so.
TEST_F(App_CopyTypeFlowTests, CopiesStartAtTheKeyFrameOrExactlyAndTheSummaryNamesEachFallback) {
    std::vector<std::string> h264 = {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"};
    std::vector<std::string> mpeg4 = {"-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac"};
    h264.insert(h264.end(), KeyFramesEvery2s.begin(), KeyFramesEvery2s.end());
    h264.push_back("0");
    mpeg4.insert(mpeg4.end(), KeyFramesEvery2s.begin(), KeyFramesEvery2s.end());
    mpeg4.push_back("1000000000");
    AddRow(MakeClip(clips, "phone.mp4",
                    {ClipSeconds, "320x180", FrameRate, 44100, h264, ClipPicture::TimePattern}));
    AddRow(MakeClip(clips, "film.mkv",
                    {ClipSeconds, "320x180", FrameRate, 44100, mpeg4, ClipPicture::TimePattern}));

    program.Options().cbbOutputFiletype.SelectByUser(static_cast<int32_t>(OutputTypes().size()) - 1);
    EXPECT_FALSE(program.MainForm().cbbProfile->isEnabled()) << "no profile applies";
    QAbstractItemModel& model = *program.MainForm().dxTreeSourceFileInfo->model();
    const auto toolTip = [&] {
        return model.data(model.index(0, colCutTime), Qt::ToolTipRole).toString().toStdString();
    };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return toolTip().starts_with("Projected output: about "); }, ProbeLimitMs))
        << toolTip();

    ChooseCut(&TfrmOption::rbKeyFrameCut);
    EXPECT_FALSE(program.OptionForm().cbbVideoSize->isVisibleTo(&program.OptionForm()));
    EXPECT_TRUE(program.OptionForm().lblCopyNotice->isVisibleTo(&program.OptionForm()));
    EXPECT_EQ(program.Choices().Cut(), CutMode::KeyFrames);
    const std::string keyFrames = Convert();
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes().front().text;
    EXPECT_FALSE(program.SummaryForm().isVisible()) << Log();
    for (const char* name : {"phone.mp4", "film.mkv"}) {
        const MediaReport report = CheckMedia(keyFrames + name);
        ASSERT_TRUE(report.opened) << name << ": " << report.openError << "\n" << Log();
        EXPECT_EQ(report.errors, 0) << name;
        EXPECT_EQ(SecondShown(report.firstLeftLuma), 2) << name;
        EXPECT_NEAR(report.videoSeconds, 4, TimeTolerance) << name;
        EXPECT_NEAR(report.AudioSeconds(), 4, TimeTolerance) << name;
    }

    ChooseCut(&TfrmOption::rbExactCut);
    const std::string exact = Convert();
    const MediaReport phone = CheckMedia(exact + "phone.mp4");
    EXPECT_EQ(phone.errors, 0);
    EXPECT_EQ(phone.videoCodec, "h264");
    EXPECT_EQ(SecondShown(phone.firstLeftLuma), 3);
    EXPECT_EQ(PictureShown(phone.firstRightLuma), 0);
    EXPECT_NEAR(phone.videoSeconds, 3, TimeTolerance);
    const MediaReport film = CheckMedia(exact + "film.mkv");
    EXPECT_EQ(SecondShown(film.firstLeftLuma), 2);
    ASSERT_TRUE(program.SummaryForm().isVisible()) << Log();
    EXPECT_EQ(program.SummaryForm().lblNote->text().toStdString().rfind(
                  "film.mkv: cut at the key frame at 00:00:02.", 0),
              0u)
        << program.SummaryForm().lblNote->text().toStdString();
    const std::map<std::string, std::string> played =
        PlayInBrowser({exact + "phone.mp4"}, BrowserLimitSeconds);
    EXPECT_EQ(played.contains("phone.mp4") ? played.at("phone.mp4") : "no answer", "ended");
}

} // namespace

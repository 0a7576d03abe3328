// The output types after MP3 on the whole program with its own transcoder, on the X display of the
// test run: real clips of three shapes converted, the outputs decoded, timed and measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
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

constexpr double ClipSeconds = 2;
constexpr double CutSeconds = 1;       // the rows convert 00:00:01 to 00:00:02
constexpr double TimeTolerance = 0.15; // a frame or an audio packet either side
constexpr double ShapeTolerance = 0.03;
constexpr int NormalQuality = 2;
constexpr int BrowserLimitSeconds = 120;
constexpr int EstimateLimitMs = 120000;

std::string ProgramDir() {
    const char* dir = std::getenv("RIVAMO_PROGRAM_DIR");
    return dir != nullptr ? dir : RIVAMO_PROGRAM_DIR_DEFAULT;
}

struct Shape {
    const char* name;
    const char* size;
    double aspect;
};
const Shape Shapes[] = {
    {"wide", "192x108", 16.0 / 9}, {"classic", "160x120", 4.0 / 3}, {"tall", "108x192", 9.0 / 16}};

// The mean "All" SSIM of ffmpeg's ssim filter between two files of the same picture size.
double Ssim(const std::string& output, const std::string& source, const TempDir& scratch) {
    const std::string stats = (scratch.Path() / "ssim.txt").string();
    if (RunFfmpeg({"-i", output, "-i", source, "-lavfi", "[0:v][1:v]ssim=stats_file=" + stats, "-f", "null",
                   "-"}) != 0)
        return 0;
    std::ifstream file(stats);
    double sum = 0;
    int frames = 0;
    for (std::string line; std::getline(file, line);) {
        const std::size_t at = line.find("All:");
        if (at != std::string::npos) {
            sum += std::stod(line.substr(at + 4));
            ++frames;
        }
    }
    return frames > 0 ? sum / frames : 0;
}

// A clip that shows its own time, with a key frame every 2 s, in a checked row cut 00:00:03 to
// 00:00:06.
void AddKeyFrameClip(SourceList& sources, const TempDir& clips, const std::string& name,
                     std::vector<std::string> codecs) {
    codecs.insert(codecs.end(), {"-g", "20", "-keyint_min", "20", "-c:a", "aac"});
    const std::string path =
        MakeClip(clips, name, {8, "320x180", 10, 44100, codecs, ClipPicture::TimePattern});
    const std::size_t row = sources.AppendRow();
    const std::vector<std::string> cells = {CheckedText, path,       "1 KB",    "00:00:08",
                                            "00:00:03",  "00:00:06", "00:00:03"};
    for (std::size_t column = 0; column < cells.size(); ++column)
        sources.SetCell(row, column, cells[column]);
}

class App_OutputTypeFlowTests : public testing::Test {
protected:
    App_OutputTypeFlowTests() {
        // RIVAMO_TEST_TRENC runs the flow with another FFmpeg-compatible transcoder.
        const char* other = std::getenv("RIVAMO_TEST_TRENC");
        fs::copy_file(other != nullptr ? fs::path(other) : fs::path(ProgramDir()) / "trenc",
                      folder.Path() / "trenc");
        fs::create_directories(folder.Path() / "Config");
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
    }

    std::string AddClip(const Shape& shape, const std::string& start, const std::string& end) {
        const std::string path =
            MakeClip(clips, std::string(shape.name) + ".avi",
                     {ClipSeconds, shape.size, 10, 44100, {"-c:v", "mpeg4", "-q:v", "2"}});
        SourceList& sources = program.Sources();
        const std::size_t row = sources.AppendRow();
        const std::vector<std::string> cells = {CheckedText, path, "1 KB",    "00:00:02",
                                                start,       end,  "00:00:01"};
        for (std::size_t column = 0; column < cells.size(); ++column)
            sources.SetCell(row, column, cells[column]);
        return path;
    }

    // Chooses the output type and quality as the main window does, then the size in the Options
    // dialog's list, and converts every row into a folder of its own.
    std::string Convert(int type, int quality, const std::string& size) {
        OptionSelection& options = program.Options();
        options.cbbOutputFiletype.SelectByUser(type);
        options.cbbProfile.SelectByUser(quality);
        const auto& sizes = options.cbbVideoSize.Items();
        options.cbbVideoSize.Select(
            static_cast<int32_t>(std::find(sizes.begin(), sizes.end(), size) - sizes.begin()));
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

// Every new type, a 16:9, a 4:3 and a portrait source, at "Same as source" and in a 1280x720 box:
// the output decodes without errors, lasts the cut time, has the type's codecs and keeps the
// source's shape; the 16:9 outputs of the types browsers take play to their end in Chromium.
TEST_F(App_OutputTypeFlowTests, EveryNewTypeConvertsDecodesKeepsTheShapeAndPlaysInABrowser) {
    std::vector<std::string> forBrowser;
    for (const Shape& shape : Shapes)
        AddClip(shape, "00:00:01", "00:00:02");
    struct Case {
        int type;
        const char* video; // empty for audio types
        const char* audio;
    };
    const Case cases[] = {{2, "h264", "aac"}, {3, "hevc", "aac"}, {4, "vp9", "opus"}, {5, "av1", "opus"},
                          {6, "", "aac"},     {7, "", "opus"},    {8, "", "flac"}};
    const int browserTypes[] = {2, 4, 5, 6, 7, 8}; // H.265 plays only where the system has a decoder
    for (const Case& c : cases) {
        const OutputTypeEntry& type = *OutputTypeAt(c.type);
        const bool video = *c.video != '\0';
        for (const std::string& size : {std::string(SameAsSourceItem), std::string("1280x720")}) {
            if (!video && size != SameAsSourceItem)
                continue;
            const std::string out = Convert(c.type, NormalQuality, size);
            EXPECT_TRUE(boxes.Boxes().empty()) << type.name << ": " << boxes.Boxes().front().text;
            EXPECT_FALSE(program.SummaryForm().isVisible()) << type.name << " " << size << "\n" << Log();
            if (size == SameAsSourceItem && std::ranges::count(browserTypes, c.type) > 0)
                forBrowser.push_back(out + Shapes[0].name + type.extension);
            for (const Shape& shape : Shapes) {
                const std::string where = type.name + ", " + size + ", " + shape.name;
                const MediaReport report = CheckMedia(out + shape.name + type.extension);
                ASSERT_TRUE(report.opened) << where << ": " << report.openError;
                EXPECT_EQ(report.errors, 0) << where;
                EXPECT_EQ(report.audioCodec, c.audio) << where;
                EXPECT_NEAR(report.AudioSeconds(), CutSeconds, TimeTolerance) << where;
                EXPECT_EQ(report.hasVideo, video) << where;
                if (!video)
                    continue;
                EXPECT_EQ(report.videoCodec, c.video) << where;
                EXPECT_NEAR(report.videoSeconds, CutSeconds, TimeTolerance) << where;
                EXPECT_NEAR(report.DisplayAspect() / shape.aspect, 1.0, ShapeTolerance) << where;
                const bool boxed = size != SameAsSourceItem;
                EXPECT_TRUE(boxed ? report.width == 1280 || report.height == 720
                                  : report.width == std::stoi(shape.size))
                    << where << ": " << report.width << "x" << report.height;
                EXPECT_TRUE(report.width <= 1280 && report.height <= (boxed ? 720 : 1920)) << where;
            }
        }
    }
    const std::map<std::string, std::string> played = PlayInBrowser(forBrowser, BrowserLimitSeconds);
    for (const std::string& file : forBrowser) {
        const std::string name = fs::path(file).filename().string();
        EXPECT_EQ(played.contains(name) ? played.at(name) : "no answer", "ended") << file;
    }
}

// The cut time's tooltip of a constant-quality type shows an estimate from samples once the
// samples are encoded, and it comes close to the size of the real output. The tooltip is open
// while the samples are encoded: the estimate replaces the text it showed (or, should the tooltip
// have closed meanwhile, the next hover shows it).
TEST_F(App_OutputTypeFlowTests, TheCutTimeToolTipShowsASizeEstimateFromSamples) {
    const std::string source = MakeClip(clips, "long.avi", {14, "320x180", 10, 44100, {"-c:v", "ffv1"}});
    SourceList& sources = program.Sources();
    const std::size_t row = sources.AppendRow();
    const std::vector<std::string> cells = {CheckedText, source,     "1 KB",    "00:00:14",
                                            "00:00:00",  "00:00:14", "00:00:14"};
    for (std::size_t column = 0; column < cells.size(); ++column)
        sources.SetCell(row, column, cells[column]);
    SourceGridView& grid = *program.MainForm().dxTreeSourceFileInfo;
    const QModelIndex cell = grid.model()->index(0, colCutTime);
    const auto hover = [&] {
        const QPoint at = grid.visualRect(cell).center();
        QHelpEvent event(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(grid.viewport(), &event);
    };
    program.Options().cbbOutputFiletype.SelectByUser(2);
    hover();
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().endsWith("(estimating...)")) << QToolTip::text().toStdString();
    const std::string prefix = "Estimated output: about ";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (!QToolTip::isVisible() &&
                !grid.model()->data(cell, Qt::ToolTipRole).toString().endsWith("..."))
                hover();
            return QToolTip::text().toStdString().starts_with(prefix);
        },
        EstimateLimitMs))
        << QToolTip::text().toStdString();

    const std::string estimate = QToolTip::text().toStdString().substr(prefix.size());
    const double factor = estimate.ends_with(" MB")   ? 1024.0 * 1024
                          : estimate.ends_with(" KB") ? 1024.0
                                                      : 1.0;
    const double estimated = std::stod(estimate) * factor;
    const std::string out = Convert(2, NormalQuality, SameAsSourceItem);
    const auto real = static_cast<double>(fs::file_size(out + "long.mp4"));
    RecordProperty("estimate_over_real", std::to_string(estimated / real));
    EXPECT_NEAR(estimated / real, 1.0, 0.25) << estimate << " against " << real << " bytes";
}

// The five qualities of H.264 at "Same as source": SSIM against the source rises with each, and
// "Normal Quality" is hard to tell from the source.
TEST_F(App_OutputTypeFlowTests, H264QualitiesRiseAndNormalIsCloseToTheSource) {
    const std::string source =
        MakeClip(clips, "scene.avi", {ClipSeconds, "320x180", 25, 44100, {"-c:v", "ffv1"}});
    SourceList& sources = program.Sources();
    const std::size_t row = sources.AppendRow();
    const std::vector<std::string> cells = {CheckedText, source,     "1 KB",    "00:00:02",
                                            "00:00:00",  "00:00:02", "00:00:02"};
    for (std::size_t column = 0; column < cells.size(); ++column)
        sources.SetCell(row, column, cells[column]);
    std::vector<double> ssims;
    for (int quality = 0; quality < static_cast<int>(QualityCount); ++quality) {
        const std::string out = Convert(2, quality, SameAsSourceItem);
        ssims.push_back(Ssim(out + "scene.mp4", source, clips));
        RecordProperty("ssim_quality_" + std::to_string(quality), std::to_string(ssims.back()));
        std::printf("H.264 quality %d: SSIM %.4f\n", quality, ssims.back());
    }
    for (std::size_t q = 1; q < ssims.size(); ++q)
        EXPECT_GT(ssims[q], ssims[q - 1]) << "quality " << q;
    EXPECT_GE(ssims[NormalQuality], 0.95);
}

// The copy of every stream, of an H.264 MP4 and an MPEG-4 Part 2 Matroska file that show their own
// time, with key frames every 2 s, cut 00:00:03 to 00:00:06. At key frames both start at 00:00:02;
// exactly, the MP4 starts at 00:00:03 and plays in a browser, while the Matroska file, which cannot
// be cut exactly, starts at its key frame and the summary says so.
TEST_F(App_OutputTypeFlowTests, CopiesStartAtTheKeyFrameOrExactlyAndTheSummaryNamesEachFallback) {
    AddKeyFrameClip(program.Sources(), clips, "phone.mp4",
                    {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-sc_threshold", "0"});
    AddKeyFrameClip(program.Sources(), clips, "film.mkv", {"-c:v", "mpeg4", "-sc_threshold", "1000000000"});
    const int copyType = static_cast<int>(OutputTypes().size()) - 1;
    program.Options().cbbOutputFiletype.SelectByUser(copyType);
    EXPECT_FALSE(program.MainForm().cbbProfile->isEnabled()) << "no profile applies";
    QAbstractItemModel& model = *program.MainForm().dxTreeSourceFileInfo->model();
    const auto toolTip = [&] { return model.data(model.index(0, colCutTime), Qt::ToolTipRole).toString(); };
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return toolTip().startsWith("Projected output: about "); }, EstimateLimitMs))
        << toolTip().toStdString();
    TfrmOption& dialog = program.OptionForm();
    const auto chooseCut = [&](QRadioButton* button) {
        dialog.ShowOptions();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, 8));
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    };
    chooseCut(dialog.rbKeyFrameCut);
    EXPECT_TRUE(dialog.lblCopyNotice->isVisibleTo(&dialog) && !dialog.cbbVideoSize->isVisibleTo(&dialog));
    EXPECT_EQ(program.Choices().Cut(), CutMode::KeyFrames);

    struct Case {
        CutMode cut;
        const char* name;
        int firstSecond;
        double seconds;
    };
    const Case cases[] = {{CutMode::KeyFrames, "phone.mp4", 2, 4},
                          {CutMode::KeyFrames, "film.mkv", 2, 4},
                          {CutMode::Exact, "phone.mp4", 3, 3},
                          {CutMode::Exact, "film.mkv", 2, 4}};
    std::string out;
    for (const Case& c : cases) {
        if (c.cut != program.Choices().Cut() || out.empty()) {
            chooseCut(c.cut == CutMode::Exact ? dialog.rbExactCut : dialog.rbKeyFrameCut);
            out = Convert(copyType, NormalQuality, SameAsSourceItem);
            EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes().front().text;
        }
        const MediaReport report = CheckMedia(out + c.name);
        ASSERT_TRUE(report.opened) << c.name << ": " << report.openError << "\n" << Log();
        EXPECT_EQ(report.errors, 0) << c.name;
        EXPECT_EQ(SecondShown(report.firstLeftLuma), c.firstSecond) << c.name;
        EXPECT_EQ(PictureShown(report.firstRightLuma), 0) << c.name;
        EXPECT_NEAR(report.videoSeconds, c.seconds, TimeTolerance) << c.name;
        EXPECT_NEAR(report.AudioSeconds(), c.seconds, TimeTolerance) << c.name;
    }
    ASSERT_TRUE(program.SummaryForm().isVisible()) << "the exact batch names its fallback\n" << Log();
    EXPECT_TRUE(
        program.SummaryForm().lblNote->text().startsWith("film.mkv: cut at the key frame at 00:00:02."))
        << program.SummaryForm().lblNote->text().toStdString();
    const std::map<std::string, std::string> played = PlayInBrowser({out + "phone.mp4"}, BrowserLimitSeconds);
    EXPECT_EQ(played.contains("phone.mp4") ? played.at("phone.mp4") : "no answer", "ended");
}

} // namespace

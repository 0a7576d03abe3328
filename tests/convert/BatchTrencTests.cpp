#include "convert/BatchDriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "convert/CommonLib.h"
#include "convert/CommonLibCommands.h"
#include "convert/PosixProcessLauncher.h"
#include "profiles/Catalogue.h"
#include "support/FileFunc.h"
#include "support/SteadyClock.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TestClip.h"
#include "tests/convert/BatchFakes.h"
#include "tests/convert/RealProcesses.h"

namespace fs = std::filesystem;
using ::testing::StartsWith;

namespace {

void Select(OptionList& list, CatalogueTable table, const std::string& selected) {
    const std::vector<std::string> entries = CatalogueList(table);
    for (std::size_t i = 0; i + 1 < entries.size(); ++i)
        list.Append(entries[i]);
    const auto found = std::find(list.Items().begin(), list.Items().end(), selected);
    ASSERT_NE(found, list.Items().end()) << selected;
    list.Select(static_cast<int32_t>(found - list.Items().begin()));
}

std::string ProgramDir() {
    const char* dir = std::getenv("RIVAMO_PROGRAM_DIR");
    return dir != nullptr ? dir : RIVAMO_PROGRAM_DIR_DEFAULT;
}

} // namespace

// The program's own transcoder, copied with rtrenc into a temporary program folder, converts clips
// made by the ffmpeg command; the command lines come from TCommonLib.
class Convert_BatchTrencTests : public ::testing::Test {
protected:
    TempDir program;
    TempDir home;
    TempDir clips;
    EventLog events;
    PosixProcessLauncher launcher;
    OwnChildrenTable own;
    SteadyClock clock;
    OptionSelection options;
    MainChoices choices{home.Folder() + "Rivamo"};
    TCustomProc proc{program.Folder(), options, choices};
    SourceList sources;
    TAppFunc log{program.Folder()};
    TFileFunc files;
    TCommonLib commonLib{program.Folder(), proc, sources, log, files};
    CommonLibCommands commands{commonLib};
    ConvertingState progress;
    RecordingView view{events};
    RecordingMessageBoxes boxes;
    FakePump pump{events};
    RecordingShell shell{events};
    RecordingPower power{events};
    UncheckedBatch unchecked;
    std::vector<ConvertingState> history;

    void SetUp() override {
        for (const char* name : {"trenc", "rtrenc"}) {
            const fs::path built = fs::path(ProgramDir()) / name;
            ASSERT_TRUE(fs::exists(built)) << built;
            fs::copy_file(built, program.Path() / name);
        }
        fs::create_directories(program.Path() / "Config");
        Select(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes, "RM Video Files (*.rm)");
        Select(options.cbbVideoBitrate, CatalogueTable::cstVideoBitrates, "512");
        Select(options.cbbVideoSize, CatalogueTable::cstVideoSizes, "320x240");
        Select(options.cbbFramerate, CatalogueTable::cstFrameRates, "25");
        Select(options.cbbAspectratio, CatalogueTable::cstAspectRatios, "4:3");
        Select(options.cbbAudioBitrate, CatalogueTable::cstAudioBitrates, "64");
        Select(options.cbbAudioVolumeGain, CatalogueTable::cstVolumeGains, "100");
        Select(options.cbbAudioChannels, CatalogueTable::cstAudioChannels, "2 channels, Stereo");
        Select(options.cbbAudioSample, CatalogueTable::cstAudioSampleRates, "44100");
        progress.SetObserver([this] { history.push_back(progress); });
    }

    void AddClip(const std::string& name, bool checked) {
        const std::string path =
            MakeClip(clips, name + ".avi", {3, "160x120", 25, 44100, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
        const std::size_t row = sources.AppendRow();
        sources.SetCell(row, colCheck, checked ? CheckedText : UncheckedText);
        sources.SetCell(row, colFileName, path);
        sources.SetCell(row, colDuration, "00:00:03");
        sources.SetCell(row, colStartTime, "00:00:00");
        sources.SetCell(row, colEndTime, "00:00:03");
        sources.SetCell(row, colCutTime, "00:00:03");
    }
};

TEST_F(Convert_BatchTrencTests, ThreeCheckedRowsOfFourBecomeThreePlayableFiles) {
    AddClip("one", true);
    AddClip("skipped", false);
    AddClip("two", true);
    AddClip("three", true);
    BatchTiming timing;
    timing.showPauseMs = 50;
    timing.startPauseMs = 500;
    BatchDriver driver(BatchServices{proc, sources, commands, unchecked, progress, view, boxes, log, launcher,
                                     clock, pump, shell, power},
                       timing);

    driver.ConvertBatch();

    EXPECT_EQ(driver.State().FilesDone, 3);
    const std::string outputFolder = home.Folder() + "Rivamo/";
    for (const char* name : {"one", "two", "three"}) {
        const MediaReport report = CheckMedia(outputFolder + name + ".rm");
        EXPECT_TRUE(report.opened) << name << ": " << report.openError;
        EXPECT_EQ(report.errors, 0) << name;
        EXPECT_TRUE(report.hasVideo && report.hasAudio) << name;
        EXPECT_NEAR(report.videoSeconds, 3.0, 0.5) << name;
    }
    EXPECT_FALSE(fs::exists(outputFolder + "skipped.rm"));

    std::vector<std::string> parameters;
    for (std::ifstream file(log.LogPath()); !file.eof();) {
        std::string line;
        std::getline(file, line);
        if (line.find("|parameter: ") != std::string::npos)
            parameters.push_back(line.substr(line.find('|') + 1));
    }
    ASSERT_EQ(parameters.size(), 3u);
    EXPECT_THAT(parameters[0], StartsWith("parameter: " + program.Folder() + "trenc -y -i \"" +
                                          clips.Folder() + "one.avi\""));

    // The bars moved while the files converted.
    const auto fileBarMoved = std::any_of(
        history.begin(), history.end(), [](const ConvertingState& s) { return s.ProgressBar1.position > 0; });
    const auto batchBarMoved = std::any_of(
        history.begin(), history.end(), [](const ConvertingState& s) { return s.pbTotal.position >= 100; });
    EXPECT_TRUE(fileBarMoved);
    EXPECT_TRUE(batchBarMoved);
    EXPECT_TRUE(NoChildLeft());
}

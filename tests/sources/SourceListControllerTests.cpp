#include "sources/SourceListController.h"

#include <gtest/gtest.h>

#include <map>

#include "support/Text.h"
#include "tests/common/TempDir.h"

namespace {

// Durations by path; a path that is not listed cannot be measured.
class FakeProbe final : public MediaProbe {
public:
    std::map<std::string, int64_t> durationsMs;
    int graphsOpened = 0;

    std::unique_ptr<ProbeGraph> NewGraph() override {
        ++graphsOpened;
        return std::make_unique<Graph>(*this);
    }

private:
    struct Graph final : ProbeGraph {
        explicit Graph(FakeProbe& owner) : owner(owner) {}
        int64_t RenderDurationMs(const std::string& path) override {
            const auto it = owner.durationsMs.find(path);
            if (it == owner.durationsMs.end())
                throw std::runtime_error("cannot render");
            return it->second;
        }
        FakeProbe& owner;
    };
};

class RecordingPreview final : public PreviewLink {
public:
    int stops = 0, trimBarShows = 0;
    std::vector<int64_t> seeks;
    bool active = false;
    void StopPreview() override { ++stops; }
    void SeekPreview(int64_t ms) override { seeks.push_back(ms); }
    bool IsPreviewActive() const override { return active; }
    void ShowRowOnTrimBar() override { ++trimBarShows; }
};

struct InsertCounter final : SourceListObserver {
    std::vector<std::size_t> inserted; // rows of each notification
    void RowsInserted(std::size_t, std::size_t count) override { inserted.push_back(count); }
    void RowsRemoved(std::size_t, std::size_t) override {}
    void CellChanged(std::size_t, std::size_t) override {}
    void SelectionChanged() override {}
};

struct CountingPump final : EventPump {
    int pumps = 0;
    void Pump() override { ++pumps; }
};

// Holds every measurement until the test hands its result back, as a worker would later.
struct HeldMeasurer final : DurationMeasurer {
    std::vector<std::pair<std::string, Done>> held;
    void Measure(const std::string& path, Done done) override { held.emplace_back(path, std::move(done)); }
    void Deliver(std::size_t index, int64_t seconds) { held.at(index).second(seconds); }
};

class Sources_SourceListControllerTests : public ::testing::Test {
protected:
    std::string Clip(const std::string& name, int64_t durationMs, std::size_t bytes = 1536) {
        const std::string path = dir.WriteFile(name, std::string(bytes, 'x'));
        probe.durationsMs[path] = durationMs;
        return path;
    }
    std::vector<std::string> Column(std::size_t column) const {
        std::vector<std::string> cells;
        for (std::size_t row = 0; row < rows.RowCount(); ++row)
            cells.push_back(rows.Cell(row, column));
        return cells;
    }
    void AddRow(const std::string& duration, const std::string& start, const std::string& end) {
        const std::size_t row = rows.AppendRow();
        rows.SetCell(row, colDuration, duration);
        rows.SetCell(row, colStartTime, start);
        rows.SetCell(row, colEndTime, end);
        rows.SetSelected(row, true);
    }

    TempDir dir;
    SourceList rows;
    FakeProbe probe;
    RecordingPreview preview;
    TrimBarState trimBar;
    CountingPump pump;
    int codecErrors = 0;
    std::string codecErrorNames;
    SourceListController controller{rows, probe, preview, trimBar, pump, [this](const std::string& names) {
                                        ++codecErrors;
                                        codecErrorNames = names;
                                    }};
};

} // namespace

TEST_F(Sources_SourceListControllerTests, AddedRowHoldsCheckPathSizeDurationAndTimes) {
    const std::string clip = Clip("My Clips/party.avi", 61999, 1536);
    controller.AddSourceFiles({clip});
    ASSERT_EQ(rows.RowCount(), 1u);
    const auto& cells = rows.Row(0).cells;
    EXPECT_EQ(cells, (std::array<std::string, 7>{"True", clip, "1.5 KB", "00:01:01", "00:00:00", "00:01:01",
                                                 "00:01:01"}));
    EXPECT_EQ(rows.SelectedRows(), std::vector<std::size_t>{0});
    EXPECT_EQ(preview.trimBarShows, 1);
    EXPECT_EQ(probe.graphsOpened, 1);
}

TEST_F(Sources_SourceListControllerTests, DuplicatesAreSkippedSilentlyAndOtherTypesNamedInOneWarning) {
    std::vector<std::string> warnings;
    controller.SetWarning([&](const std::string& message) { warnings.push_back(message); });
    const std::string upper = Clip("clip.AVI", 5000);
    const std::string rmvb = Clip("show.rmvb", 5000);
    const std::string mp4 = Clip("movie.mp4", 5000);
    const std::string noDot = Clip("avi", 5000);
    const std::string dotFolder = Clip("v.avi/clip", 5000);
    controller.AddSourceFiles({upper, upper, rmvb, mp4, noDot, dotFolder});
    controller.AddSourceFiles({rmvb});
    EXPECT_EQ(Column(colFileName), (std::vector<std::string>{upper, rmvb, mp4}));
    EXPECT_EQ(codecErrors, 0);
    EXPECT_EQ(warnings,
              std::vector<std::string>{"These files were not added: Rivamo does not convert files of "
                                       "their type.\n" +
                                       noDot + "\n" + dotFolder});
    for (const char* name : {"a.mkv", "a.WEBM", "a.ts", "a.m2ts", "a.mts", "a.ogv", "a.rm", "a.mp4"})
        EXPECT_TRUE(SourceListController::IsAcceptedSource(name)) << name;
    EXPECT_FALSE(SourceListController::IsAcceptedSource("a.txt"));
}

TEST_F(Sources_SourceListControllerTests, UnmeasurableFilesOfOneAddShowOneCodecErrorAndAddNoRow) {
    const std::string short_ = Clip("short.avi", 999);
    const std::string broken = dir.WriteFile("broken.mov", "not a movie");
    const std::string good = Clip("good.wmv", 1000);
    controller.AddSourceFiles({short_, broken, good});
    EXPECT_EQ(codecErrors, 1);
    EXPECT_EQ(codecErrorNames, short_ + "\n" + broken);
    EXPECT_EQ(Column(colFileName), std::vector<std::string>{good});
    EXPECT_EQ(Column(colDuration), std::vector<std::string>{"00:00:01"});
}

TEST_F(Sources_SourceListControllerTests, UnreadableFileEndsTheAddWithoutAHalfFilledRow) {
    const std::string first = Clip("first.avi", 3000);
    const std::string gone = dir.Folder() + "gone.avi";
    probe.durationsMs[gone] = 3000; // measurable, yet no file to read the size of
    const std::string after = Clip("after.avi", 3000);
    EXPECT_THROW(controller.AddSourceFiles({first, gone, after}), std::runtime_error);
    EXPECT_EQ(Column(colFileName), std::vector<std::string>{first});
}

TEST_F(Sources_SourceListControllerTests, CancelledAddStillSelectsTheFirstRow) {
    controller.AddSourceFiles({});
    EXPECT_EQ(preview.trimBarShows, 0);
    AddRow("00:05:00", "00:00:00", "00:05:00");
    AddRow("00:05:00", "00:00:00", "00:05:00");
    rows.SelectOnly(1);
    controller.AddSourceFiles({});
    EXPECT_EQ(rows.SelectedRows(), std::vector<std::size_t>{0});
    EXPECT_EQ(preview.trimBarShows, 1);
}

TEST_F(Sources_SourceListControllerTests, RemovingSelectsTheRowAboveTheFocusedOne) {
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        const std::size_t row = rows.AppendRow();
        rows.SetCell(row, colFileName, name);
    }
    rows.SetSelected(1, true);
    rows.SetSelected(3, true);
    rows.SetFocusedRow(3); // the row above it, "c", is kept and selected afterwards
    controller.btnRemoveFileClick();
    EXPECT_EQ(Column(colFileName), (std::vector<std::string>{"a", "c", "e"}));
    EXPECT_EQ(rows.SelectedRows(), std::vector<std::size_t>{1});
    EXPECT_GE(pump.pumps, 3);
    EXPECT_EQ(preview.stops, 1);
    EXPECT_EQ(trimBar.Panel2Width, TrimBarState::CollapsedImageWidth);

    rows.SetSelected(0, true);
    rows.SetSelected(1, true);
    rows.SetFocusedRow(1); // the row above is removed too: nothing is selected afterwards
    controller.RemoveSelectedRows();
    EXPECT_EQ(Column(colFileName), std::vector<std::string>{"e"});
    EXPECT_TRUE(rows.SelectedRows().empty());
}

TEST_F(Sources_SourceListControllerTests, DeleteKeyWithoutSelectionOnlyStopsThePreview) {
    AddRow("00:05:00", "00:00:00", "00:05:00");
    rows.SetSelected(0, false);
    trimBar.Panel2Width = trimBar.Panel3Width = 40;
    controller.dxTreeSourceFileInfoKeyDown(true);
    EXPECT_EQ(rows.RowCount(), 1u);
    EXPECT_EQ(preview.stops, 1);
    EXPECT_EQ(trimBar.Panel2Width, 40);
    rows.SetSelected(0, true);
    controller.dxTreeSourceFileInfoKeyDown(true);
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(trimBar.Panel2Width, 2);
    EXPECT_EQ(trimBar.Panel3Width, 2);
}

TEST_F(Sources_SourceListControllerTests, ClearEmptiesTheListAndCollapsesTheTrimBar) {
    AddRow("00:05:00", "00:00:00", "00:05:00");
    trimBar.Panel3Width = 90;
    controller.btnClearFileClick();
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(trimBar.Panel3Width, 2);
    EXPECT_EQ(preview.stops, 1);
}

TEST_F(Sources_SourceListControllerTests, EditCheckComparesTheValuesReadBeforeCorrecting) {
    AddRow("00:05:00", "00:10:00", "00:05:00"); // ten minutes typed on a five-minute row
    AddRow("00:05:00", "", "");                 // both cells emptied
    AddRow("00:05:00", "00:01:00", "00:00:30"); // start past the end
    AddRow("00:05:00", "00:01:10", "00:03:00"); // a sound trim
    controller.dxTreeSourceFileInfoEdited();
    EXPECT_EQ(Column(colStartTime),
              (std::vector<std::string>{"00:05:00", "00:00:00", "00:01:00", "00:01:10"}));
    EXPECT_EQ(Column(colEndTime), (std::vector<std::string>{"00:05:00", "00:05:00", "00:01:00", "00:03:00"}));
    EXPECT_EQ(Column(colCutTime), (std::vector<std::string>{"00:00:00", "00:05:00", "00:00:00", "00:01:50"}));
}

TEST_F(Sources_SourceListControllerTests, EditCheckSeeksThePreviewOnlyWhenSyncedAndActive) {
    AddRow("00:05:00", "00:01:10", "00:03:00");
    controller.dxTreeSourceFileInfoEdited();
    trimBar.TrimBarSynced = true;
    controller.dxTreeSourceFileInfoEdited();
    preview.active = true;
    controller.dxTreeSourceFileInfoEdited();
    EXPECT_EQ(preview.seeks, std::vector<int64_t>{70000});
}

TEST_F(Sources_SourceListControllerTests, MalformedTimeEndsTheCheckAtThatRow) {
    AddRow("00:05:00", "1:00", "00:05:00");
    AddRow("00:05:00", "00:09:00", "00:05:00");
    EXPECT_THROW(controller.dxTreeSourceFileInfoEdited(), std::invalid_argument);
    EXPECT_EQ(rows.Cell(1, colStartTime), "00:09:00") << "rows after the bad one are not checked";
}

TEST_F(Sources_SourceListControllerTests, RowsAppearAtOnceAndTheirDurationsFollowFromTheMeasurer) {
    HeldMeasurer measurer;
    controller.SetMeasurer(&measurer);
    const std::string a = Clip("a.avi", 0), b = Clip("b.avi", 0), c = Clip("c.avi", 0), d = Clip("d.avi", 0);
    controller.StartAddingSourceFiles({a, b, c, d});
    EXPECT_EQ(Column(colDuration), std::vector<std::string>(4, MeasuringText));
    EXPECT_TRUE(controller.IsMeasuring());
    rows.SelectOnly(3);
    controller.dxTreeSourceFileInfoEdited(); // no duration to check against yet: nothing changes
    EXPECT_EQ(rows.Cell(3, colEndTime), "");
    controller.btnRemoveFileClick(); // d goes before it is measured

    measurer.Deliver(1, 0);  // b cannot be measured...
    measurer.Deliver(0, 90); // ...a can
    measurer.Deliver(3, 50); // d's row is gone: nothing happens
    EXPECT_EQ(codecErrors, 0) << "the codec error waits for the last file of the add";
    measurer.Deliver(2, 0);
    EXPECT_FALSE(controller.IsMeasuring());
    EXPECT_EQ(codecErrors, 1);
    EXPECT_EQ(codecErrorNames, b + "\n" + c);
    EXPECT_EQ(Column(colFileName), std::vector<std::string>{a});
    EXPECT_EQ(rows.Row(0).cells, (std::array<std::string, 7>{"True", a, "1.5 KB", "00:01:30", "00:00:00",
                                                             "00:01:30", "00:01:30"}));
}

// Many files go in a few rows at a time, with the window's events between; each duration finds its
// own row after rows above it were removed or the rows were reordered.
TEST_F(Sources_SourceListControllerTests, ManyFilesGoInByTheFiftyAndEachDurationFindsItsRow) {
    HeldMeasurer measurer;
    controller.SetMeasurer(&measurer);
    InsertCounter inserts;
    rows.SetObserver(&inserts);
    std::vector<std::string> clips;
    for (int i = 0; i < 120; ++i)
        clips.push_back(Clip("clip" + std::to_string(1000 + i) + ".avi", 0));
    controller.StartAddingSourceFiles(clips);
    EXPECT_EQ(inserts.inserted, (std::vector<std::size_t>{50, 50, 20}));
    EXPECT_EQ(pump.pumps, 2);

    rows.SelectOnly(0);
    controller.RemoveSelectedRows(); // clip1000 goes: every row moves up
    rows.SelectOnly(0);
    rows.MoveSelectedRows(rows.RowCount()); // clip1001 to the end
    for (std::size_t i = measurer.held.size(); i-- > 0;)
        measurer.Deliver(i, static_cast<int64_t>(i) + 60);
    ASSERT_EQ(rows.RowCount(), 119u);
    for (std::size_t row = 0; row < rows.RowCount(); ++row) {
        const std::string& path = rows.Cell(row, colFileName);
        const int64_t number = std::stoll(path.substr(path.size() - 8, 4)) - 1000;
        EXPECT_EQ(rows.Cell(row, colDuration), SecondsToTimeText(number + 60)) << path;
    }
    rows.SetObserver(nullptr);
}

TEST_F(Sources_SourceListControllerTests, RestoredRowsKeepTheirCheckAndTimesAndGoneFilesAreNamedOnce) {
    std::vector<std::string> warnings;
    controller.SetWarning([&](const std::string& message) { warnings.push_back(message); });
    const std::string kept = Clip("kept.avi", 600000), measured = Clip("measured.avi", 60000);
    const std::string longer = Clip("longer.avi", 60000);
    controller.RestoreRows({{kept, false, "00:01:00", "00:04:00"},
                            {dir.Folder() + "gone.avi", true, "00:00:00", "00:01:00"},
                            {measured, true, "00:00:10", ""},
                            {longer, true, "00:00:10", "00:09:00"}, // the file is shorter now
                            {dir.Folder(), true, "00:00:00", ""}});
    EXPECT_EQ(Column(colCheck), (std::vector<std::string>{"False", "True", "True"}));
    EXPECT_EQ(Column(colStartTime), (std::vector<std::string>{"00:01:00", "00:00:10", "00:00:10"}));
    EXPECT_EQ(Column(colEndTime), (std::vector<std::string>{"00:04:00", "00:01:00", "00:01:00"}));
    EXPECT_EQ(Column(colCutTime), (std::vector<std::string>{"00:03:00", "00:00:50", "00:00:50"}));
    EXPECT_EQ(warnings, std::vector<std::string>{"These files of the last list are no longer there and were "
                                                 "left out:\n" +
                                                 dir.Folder() + "gone.avi\n" + dir.Folder()});
}

TEST_F(Sources_SourceListControllerTests, AFolderGivesTheAcceptedFilesBelowItInNameOrder) {
    for (const char* name : {"b/z.avi", "b/a.MOV", "a.mkv", "notes.txt", "c/d/deep.mp4", "c/d/.x"})
        dir.WriteFile("top/" + std::string(name), "x");
    const std::string top = dir.Folder() + "top";
    const std::string file = dir.WriteFile("single.avi", "x");
    EXPECT_EQ(SourceListController::WithFolderContents({file, top}),
              (std::vector<std::string>{file, top + "/a.mkv", top + "/b/a.MOV", top + "/b/z.avi",
                                        top + "/c/d/deep.mp4"}));
}

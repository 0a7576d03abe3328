#include "convert/BatchSupervisor.h"
#include "convert/OutputPublisher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "profiles/CatalogueLists.h"
#include "support/CommandLine.h"
#include "tests/convert/BatchFakes.h"
#include "tests/convert/BatchWorld.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Durations of output files by path; a file not listed does not decode.
class FakeProbe final : public MediaProbe, public ProbeGraph {
public:
    std::unique_ptr<ProbeGraph> NewGraph() override { return std::make_unique<Graph>(*this); }
    int64_t RenderDurationMs(const std::string& path) override {
        const auto it = durations.find(path);
        return it == durations.end() ? 0 : it->second;
    }
    std::map<std::string, int64_t> durations;

private:
    struct Graph final : ProbeGraph {
        explicit Graph(FakeProbe& probe) : m_probe(probe) {}
        int64_t RenderDurationMs(const std::string& path) override { return m_probe.RenderDurationMs(path); }
        FakeProbe& m_probe;
    };
};

class RecordingDesktop final : public DesktopSession, public BatchSummaryView {
public:
    explicit RecordingDesktop(EventLog& log) : m_log(log) {}
    void HoldOffSleep(const std::string&) override { m_log.Add("hold off sleep"); }
    void AllowSleep() override { m_log.Add("allow sleep"); }
    void PublishProgress(double fraction) override { progress.push_back(fraction); }
    void HideProgress() override { m_log.Add("hide dock progress"); }
    void Notify(const std::string& summary, const std::string& body) override {
        m_log.Add("notify " + summary + ": " + body);
    }
    void ShowSummary(const BatchSummary& shown) override {
        m_log.Add("summary");
        summaries.push_back(shown);
    }
    std::vector<double> progress;
    std::vector<BatchSummary> summaries;

private:
    EventLog& m_log;
};

} // namespace

TEST(Convert_BatchResultTests, AnOutputIsJudgedByExistenceDecodingAndLength) {
    struct Case {
        OutputFacts facts;
        int64_t expected;
        RunFacts run;
        RowOutcome outcome;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{true, 900, 10'400}, 10, {}, RowOutcome::Converted, ""},
        {{true, 900, 9'000}, 10, {}, RowOutcome::Converted, ""},
        {{false, 0, 0}, 10, {}, RowOutcome::Failed, "no output file was written"},
        {{false, 0, 0},
         10,
         {"Error: /out/a.rm: Permission denied\r\n"},
         RowOutcome::Failed,
         "Error: /out/a.rm: Permission denied"},
        {{true, 20, 0}, 10, {}, RowOutcome::Failed, "the output file cannot be decoded"},
        {{true, 900, 1'000}, 8, {}, RowOutcome::Failed, "the output lasts 1.0 s of 8.0 s"},
        {{true, 900, 1'000}, 8, {"Error: x", 9}, RowOutcome::Failed, "the transcoder was killed by signal 9"},
        {{true, 900, 1'000},
         8,
         {"Error: x", 0, true},
         RowOutcome::Failed,
         "the source changed after it was added"},
    };
    for (const Case& c : cases) {
        const RowResult result = JudgeOutput({}, c.facts, c.expected, c.run);
        EXPECT_EQ(result.outcome, c.outcome) << c.reason;
        EXPECT_EQ(result.reason, c.reason);
    }
    // Shorter only where the source ends earlier: 60 s asked from 00:00:50 of a 80 s source.
    EXPECT_EQ(ExpectedOutputSeconds(60, 50, 80), 30);
    EXPECT_EQ(ExpectedOutputSeconds(60, 0, 0), 60);
    EXPECT_EQ(ExpectedOutputSeconds(60, 0, 600), 60);

    TranscoderTail tail;
    tail.Add("Output #0, rm, to 'a.rm':\n    Stream #0:1: Audio: ac3, 44100 Hz\nframe=  5 q=2.0 size=  1kB "
             "time=0.2");
    tail.Add("0 bitrate= 1.0kbits/s\r\n\n");
    EXPECT_EQ(tail.LastErrorLine(), "") << "a stream header is no error";
    tail.Add("Error: b.rm: No space left on device\nframe=  6 time=0.3\n");
    EXPECT_EQ(tail.LastErrorLine(), "Error: b.rm: No space left on device");
    EXPECT_EQ(StoppedAtText(754'900), "12:34");
    EXPECT_EQ(StoppedAtText(3'723'000), "1:02:03");
    EXPECT_EQ(OutputPathOf("/p/trenc -y -i \"/v/a b.avi\" -vcodec rv20 \"/out/a b.rm\""), "/out/a b.rm");
}

TEST(Convert_OutputProjectionTests, TheSelectedBitratesFixTheProjectedSize) {
    OptionSelection options;
    for (const char* type : {"RM Video Files (*.rm)", "MP3 Files (*.mp3)"})
        options.cbbOutputFiletype.Append(type);
    options.cbbVideoBitrate.Append("768");
    options.cbbAudioBitrate.Append("128");
    options.cbbVideoBitrate.Select(0);
    options.cbbAudioBitrate.Select(0);
    options.cbbOutputFiletype.Select(0);
    EXPECT_EQ(ProjectedBytes(SelectedBitrates(options), 10), 1'120'000); // (768 + 128) kbit/s for 10 s
    options.cbbOutputFiletype.Select(1);
    EXPECT_EQ(ProjectedBytes(SelectedBitrates(options), 10), 160'000); // the audio alone

    SourceList sources;
    for (const auto& [start, end] :
         {std::pair{"00:00:05", "00:01:00"}, {"00:00:00", "bad"}, {"00:02:00", "00:01:00"}}) {
        const std::size_t row = sources.AppendRow();
        sources.SetCell(row, colStartTime, start);
        sources.SetCell(row, colEndTime, end);
    }
    EXPECT_EQ(RowCutSeconds(sources, 0), 55);
    EXPECT_EQ(RowCutSeconds(sources, 1), 0);
    EXPECT_EQ(RowCutSeconds(sources, 2), 0);
}

TEST(Convert_PreflightCheckTests, OneReportNamesEveryProblemAndTheRowsNotToStart) {
    TempDir dir;
    SourceList sources;
    auto add = [&](const std::string& path, bool checked) {
        const std::size_t row = sources.AppendRow();
        sources.SetCell(row, colCheck, checked ? CheckedText : UncheckedText);
        sources.SetCell(row, colFileName, path);
        sources.SetCell(row, colStartTime, "00:00:00");
        sources.SetCell(row, colEndTime, "00:00:10");
    };
    add(dir.WriteFile("a/clip.avi", "x"), true);
    add(dir.Folder() + "gone.avi", true);
    add(dir.WriteFile("b/clip.mp4", "x"), true); // the same output name as a/clip.avi
    add(dir.Folder() + "unchecked.avi", false);  // missing, but not part of the batch
    add(dir.WriteFile("c/other.avi", "x"), true);
    add(dir.WriteFile("d/CLIP.avi", "x"), true); // another name: it takes the next free one when written
    PreflightInput input{dir.Folder() + "out/new", ".rm", {900, 100, false}, {}, {}};
    std::string askedFolder;
    input.freeSpace = [&](const std::string& folder) -> std::optional<int64_t> {
        askedFolder = folder;
        return 1'000'000;
    };

    const PreflightReport report = CheckBatch(sources, input);
    EXPECT_EQ(report.checkedRows, 5u);
    EXPECT_THAT(report.problems,
                ElementsAre(dir.Folder() + "gone.avi: the file no longer exists.",
                            dir.Folder() + "b/clip.mp4: writes the same output name (clip.rm) as " +
                                dir.Folder() + "a/clip.avi.",
                            "The output folder has 976.56 KB free, the output needs about 3.57 MB."));
    EXPECT_EQ(report.badRows.size(), 2u);
    EXPECT_TRUE(report.badRows.contains(1) && report.badRows.contains(2));
    EXPECT_EQ(report.projectedBytes, 3 * 1'250'000);
    EXPECT_EQ(askedFolder, dir.Path().string()); // the folder does not exist yet: where it would be made
    EXPECT_THAT(PreflightMessage(report),
                HasSubstr("The other 3 files will write about 3.57 MB.\nConvert them?"));

    // An output folder that cannot be made: every row is bad, and nothing is left to ask about.
    dir.WriteFile("blocker", "a file where a folder should be");
    input.outputFolder = dir.Folder() + "blocker/out";
    const PreflightReport blocked = CheckBatch(sources, input);
    EXPECT_EQ(blocked.problems.back(), "The output folder " + input.outputFolder + " cannot be created.");
    EXPECT_TRUE(blocked.NothingLeft());
    EXPECT_THAT(PreflightMessage(blocked), HasSubstr("No file is left to convert."));
}

class Convert_BatchSupervisorTests : public ::testing::Test {
protected:
    Convert_BatchSupervisorTests() {
        // Each command writes "<dir>out/<name>.rm"; the file exists only when the test made it.
        world.commands.commandFor = [this](const std::string& path) {
            world.commands.inputPath = world.dir.Folder() + "VideoFile.avs"; // as for a RealMedia source
            return world.commands.transcoderPath + " -y -i " + QuoteArgument(path) + " " +
                   QuoteArgument(Output(path));
        };
        world.choices.SetOutputFolder(world.dir.Folder() + "out");
        std::filesystem::create_directories(world.dir.Path() / "out");
        // The transcoder writes the partial file the supervisor made for the output.
        processes.onStart = [this](const std::string& arguments) {
            const std::string partial = OutputPathOf("trenc" + arguments);
            const auto written = probe.durations.find(WantedOutputOf(partial));
            if (written == probe.durations.end())
                return;
            std::ofstream(partial, std::ios::binary) << "output";
            probe.durations[partial] = written->second;
        };
    }

    std::string Output(const std::string& source) const {
        return world.dir.Folder() + "out/" + std::filesystem::path(source).stem().string() + ".rm";
    }
    std::string AddSource(const std::string& name, const std::string& cut) {
        const std::string path = world.dir.WriteFile("src/" + name, "x");
        world.AddRow(path, true);
        const std::size_t row = world.sources.RowCount() - 1;
        world.sources.SetCell(row, colStartTime, "00:00:00");
        world.sources.SetCell(row, colEndTime, cut);
        world.sources.SetCell(row, colDuration, cut);
        return path;
    }
    // The output the transcoder will write for the source.
    void WriteOutput(const std::string& source, int64_t durationMs) {
        probe.durations[Output(source)] = durationMs;
    }

    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    FakeProbe probe;
    RecordingDesktop desktop{events};
    TableCopyProbe copyProbe;
    std::optional<int64_t> freeBytes;
    BatchWorld world{events, processes, clock, {}, {}, [this](BatchWorld& parts) {
                         BatchSupervisorServices services{parts.proc,  parts.sources, parts.progress,
                                                          parts.boxes, parts.log,     probe,
                                                          desktop,     desktop,       clock};
                         services.copyProbe = &copyProbe;
                         services.freeSpace = [this](const std::string&) { return freeBytes; };
                         return std::make_unique<BatchSupervisor>(std::move(services));
                     }};
    const BatchSupervisor& supervisor = dynamic_cast<const BatchSupervisor&>(*world.supervision);
};

TEST_F(Convert_BatchSupervisorTests, EveryRowEndsCheckedLoggedSummedUpAndTheDesktopToldOnce) {
    const std::string good = AddSource("good.avi", "00:00:30");
    const std::string bad = AddSource("bad.avi", "00:00:10");
    const std::string gone = AddSource("gone.avi", "00:00:10");
    std::filesystem::remove(gone);
    WriteOutput(good, 30'200);
    processes.AddScript({{"banner"}});
    processes.AddScript({{"banner\n", "Error: b.rm: Invalid argument\n"}}); // bad.avi writes nothing
    world.choices.SetShutdown(true);
    world.boxes.QueueAnswer(IdYes); // convert the rest

    world.driver.ConvertBatch();

    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_THAT(world.boxes.Boxes()[0].text, HasSubstr(gone + ": the file no longer exists."));
    EXPECT_EQ(processes.Started(), 2u); // nothing started for the missing source
    EXPECT_EQ(world.batch.CheckedCount, 2);
    const auto& rows = supervisor.Results().Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].source, good);
    EXPECT_EQ(rows[1].outcome, RowOutcome::Converted) << rows[1].reason;
    EXPECT_EQ(rows[1].output, Output(good));
    EXPECT_EQ(rows[2].outcome, RowOutcome::Failed);
    EXPECT_EQ(rows[2].reason, "Error: b.rm: Invalid argument");
    EXPECT_EQ(rows[0].outcome, RowOutcome::NotConverted);

    // One log line per failure; no power-off; the summary says why; the desktop told once.
    std::vector<std::string> failures;
    for (const std::string& line : world.LogMessages())
        if (line.starts_with("Convert failed: "))
            failures.push_back(line);
    EXPECT_THAT(failures, ElementsAre("Convert failed: " + bad + " -> " + Output(bad) +
                                      ": Error: b.rm: Invalid argument"));
    EXPECT_EQ(events.Count("power off"), 0);
    EXPECT_EQ(events.Count("end program"), 0);
    ASSERT_EQ(desktop.summaries.size(), 1u);
    EXPECT_EQ(desktop.summaries[0].note, "The computer was not powered off because a file failed.");
    EXPECT_EQ(desktop.summaries[0].outputFolder, world.dir.Folder() + "out/");
    EXPECT_THAT(
        events.Events(),
        ::testing::Contains("notify Rivamo: conversion finished: 1 converted, 1 failed, 1 not converted."));
    EXPECT_LT(events.IndexOf("hold off sleep"), events.IndexOf("allow sleep"));
    EXPECT_LT(events.IndexOf("enable main"), events.IndexOf("summary"));

    // The batch bar weighs files by cut time: the 30 s file is three quarters of the batch, on the
    // desktop and in the progress window alike.
    ASSERT_FALSE(desktop.progress.empty());
    EXPECT_DOUBLE_EQ(desktop.progress.back(), 0.75);
    EXPECT_EQ(world.progress.pbTotal.maximum, 40);
    EXPECT_EQ(world.progress.pbTotal.position, 30);
}

TEST_F(Convert_BatchSupervisorTests, AllConvertedInAQuickBatchShowsNothingExtraAndSkipsThePauses) {
    const std::string a = AddSource("a.avi", "00:01:00");
    WriteOutput(a, 60'000);
    processes.AddScript({{"banner"}}); // ends before its first status line
    world.choices.SetQuickBatch(true);
    world.choices.SetShowOutputDirectory(true);

    world.driver.ConvertBatch();

    EXPECT_TRUE(world.boxes.Boxes().empty());
    EXPECT_TRUE(desktop.summaries.empty());
    // The fixed pauses sleep in steps of BatchTiming::pollMs; a quick batch only waits for its child.
    EXPECT_EQ(events.Count("sleep " + std::to_string(BatchTiming{}.pollMs)), 0);
    EXPECT_EQ(events.Count("open folder /out/"), 1);
    EXPECT_EQ(world.progress.lblCurFileName, a); // the source, not the script the transcoder reads
    // The file bar reached its end although no status line ever came.
    EXPECT_EQ(world.progress.ProgressBar1.position, world.progress.ProgressBar1.maximum);
    EXPECT_GT(world.progress.ProgressBar1.position, 0);
}

// A row with nothing to cut is passed by with the warning of its own, and still sums up.
TEST_F(Convert_BatchSupervisorTests, ARowWithNothingToCutIsNotConvertedWithItsReason) {
    const std::string a = AddSource("a.avi", "00:00:10");
    const std::string empty = AddSource("empty.avi", "00:00:00");
    WriteOutput(a, 10'000);
    processes.AddScript({{"banner"}});

    world.driver.ConvertBatch();

    EXPECT_EQ(processes.Started(), 1u);
    const auto& rows = supervisor.Results().Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].source, empty);
    EXPECT_EQ(rows[1].outcome, RowOutcome::NotConverted);
    EXPECT_EQ(rows[1].reason, "its end time is not after its start time");
    ASSERT_EQ(desktop.summaries.size(), 1u);
    EXPECT_DOUBLE_EQ(desktop.progress.back(), 1.0);
}

TEST_F(Convert_BatchSupervisorTests, GoingBackAtThePreflightStartsNothing) {
    const std::string gone = AddSource("gone.avi", "00:00:10");
    AddSource("fine.avi", "00:00:10");
    std::filesystem::remove(gone);
    world.boxes.QueueAnswer(IdNo);

    world.driver.ConvertBatch();

    EXPECT_EQ(world.boxes.Boxes()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(processes.Started(), 0u);
    EXPECT_EQ(events.Count("hold off sleep"), 0);
    EXPECT_TRUE(desktop.summaries.empty());
}

TEST_F(Convert_BatchSupervisorTests, ARefusedPowerOffKeepsTheProgramRunningWithItsSettingsSaved) {
    const std::string a = AddSource("a.avi", "00:00:10");
    WriteOutput(a, 10'000);
    processes.AddScript({{"banner"}});
    world.choices.SetShutdown(true);
    std::filesystem::create_directory(world.dir.Path() / "Config");
    world.power.accept = false;

    world.driver.ConvertBatch();

    EXPECT_EQ(events.Count("power off"), 1);
    EXPECT_EQ(events.Count("end program"), 0);
    EXPECT_EQ(events.Events().back(), "enable main");
    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_THAT(world.boxes.Boxes()[0].text, HasSubstr("could not be powered off"));
    EXPECT_THAT(TempDir::ReadFile(world.dir.Path() / "Config/UserSettings.ini"), HasSubstr("SHUTDOWN=1"));
}

// Copies of every stream: the pre-flight names each source's container and weighs the bytes copied
// from the real start; an output that begins at an earlier key frame passes the check with its
// lead, and the summary names every row whose exact cut began at a key frame, whether the
// transcoder said so (in pieces) or the source's facts did.
TEST_F(Convert_BatchSupervisorTests, CopiesAreProjectedCheckedWithTheirLeadAndTheirKeyFrameCutsNamed) {
    FillListFromCatalogue(world.options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes);
    world.options.cbbOutputFiletype.Select(static_cast<int32_t>(OutputTypes().size()) - 1);
    const std::string mov = "mov,mp4,m4a,3gp,3g2,mj2";
    const std::vector<int64_t> keys = {0, 5'000, 300'000, 305'000};
    const std::string film = AddSource("film.mkv", "00:05:32");
    const std::string phone = AddSource("phone.mov", "00:05:32");
    const std::string clash = AddSource("phone.m4v", "00:05:32");
    for (std::size_t row = 0; row < 3; ++row)
        world.sources.SetCell(row, colStartTime, "00:05:02");
    copyProbe.facts[film] = {"matroska,webm", keys, false, "interlaced video", false, 600'000, 60'000'000};
    copyProbe.facts[phone] = {mov, keys, true, "", false, 600'000, 60'000'000};
    copyProbe.facts[clash] = copyProbe.facts[phone];
    freeBytes = 1'000'000;
    world.boxes.QueueAnswer(IdYes);

    world.commands.amend = [&](const std::string& path, ConvertCommand& command) {
        command.DurationText = "30";
        if (path == film) {
            command.LeadMs = 2'000;
            command.CutNotice = "cut at the key frame at 00:05:00.000 (interlaced video)";
        }
    };
    WriteOutput(film, 32'000);
    WriteOutput(phone, 30'000);
    processes.AddScript({{"banner", "frame=  1 q=0.0 size=  1kB time=00:00:31.00 bitrate= 1.0kbits/s\r"}});
    processes.AddScript({{"banner\nWarning: exact cut not poss",
                          "ible (no libx264 encoder); the cut starts at the key frame at 00:05:00.000\n"}});
    world.driver.ConvertBatch();

    ASSERT_EQ(world.boxes.Boxes().size(), 1u);
    EXPECT_EQ(world.boxes.Boxes()[0].text,
              "Some files cannot be converted:\n\n- " + clash +
                  ": writes the same output name (phone.mp4) as " + phone +
                  ".\n- The output folder has 976.56 KB free, the output needs about 5.91 MB.\n\n"
                  "The other 2 files will write about 5.91 MB.\nConvert them?")
        << "32 s of the Matroska file, 30 s of the exact cut";
    const auto& rows = supervisor.Results().Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].outcome, RowOutcome::Converted) << rows[1].reason;
    EXPECT_EQ(rows[2].outcome, RowOutcome::Converted);
    EXPECT_TRUE(std::ranges::any_of(world.stateHistory, [](const ConvertingState& state) {
        return state.ProgressBar1.maximum == 32 && state.ProgressBar1.position == 31;
    })) << "the Matroska file's bar runs over its lead too";
    ASSERT_EQ(desktop.summaries.size(), 1u);
    EXPECT_EQ(desktop.summaries[0].note,
              "film.mkv: cut at the key frame at 00:05:00.000 (interlaced video)\n"
              "phone.mov: cut at the key frame at 00:05:00.000 (no libx264 encoder)");
    EXPECT_EQ(ProjectionText(world.options, world.sources, 0, nullptr, {&copyProbe, CutMode::KeyFrames}),
              "Projected output: about 3.05 MB");
    EXPECT_EQ(ProjectionText(world.options, world.sources, 0), "Projected output: not known yet");
}

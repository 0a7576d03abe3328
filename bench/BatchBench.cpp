// The batch's own cost per file: a batch of five short clips converted by the program's transcoder,
// every output checked, once with the real pauses and once as a quick batch;
// (batch wall time - the sum of the transcoder runs' wall times) / 5. Then the check of one output
// against the conversion that wrote it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "convert/BatchDriver.h"
#include "convert/BatchSupervisor.h"
#include "convert/CommonLib.h"
#include "convert/CommonLibCommands.h"
#include "convert/PosixProcessLauncher.h"
#include "profiles/Catalogue.h"
#include "sources/FfmpegMediaProbe.h"
#include "support/CommandLine.h"
#include "support/FileFunc.h"
#include "support/SteadyClock.h"

namespace fs = std::filesystem;
using Wall = std::chrono::steady_clock;

namespace {

constexpr int ClipCount = 5;

double Seconds(Wall::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Measures each child from its start until the runner sees it ended.
class TimedChild final : public ChildProcess {
public:
    TimedChild(std::unique_ptr<ChildProcess> child, std::vector<double>& runs)
        : m_child(std::move(child)), m_runs(runs), m_start(Wall::now()) {}
    bool IsRunning() override {
        const bool running = m_child->IsRunning();
        if (!running && !m_recorded) {
            m_recorded = true;
            m_runs.push_back(Seconds(Wall::now() - m_start));
        }
        return running;
    }
    std::size_t BytesWaiting() override { return m_child->BytesWaiting(); }
    std::string Read(std::size_t maxBytes) override { return m_child->Read(maxBytes); }
    void AskToEnd() override { m_child->AskToEnd(); }
    void Kill() override { m_child->Kill(); }

private:
    std::unique_ptr<ChildProcess> m_child;
    std::vector<double>& m_runs;
    Wall::time_point m_start;
    bool m_recorded = false;
};

class TimedLauncher final : public ProcessLauncher {
public:
    std::unique_ptr<ChildProcess> Start(const std::string& executable, const std::string& arguments,
                                        const std::string& workingFolder) override {
        auto child = m_launcher.Start(executable, arguments, workingFolder);
        return child ? std::make_unique<TimedChild>(std::move(child), runs) : nullptr;
    }
    std::vector<double> runs; // written by the worker; read after the batch

private:
    PosixProcessLauncher m_launcher;
};

struct QuietView final : BatchView {
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetMainEnabled(bool) override {}
    void EndProgram() override {}
};
struct YesBoxes final : MessageBoxPresenter {
    int Show(const std::string&, MessageIcon, MessageButtons) override { return IdOk; }
};
struct NoEvents final : EventPump {
    void Pump() override {}
};
struct NoShell final : Shell {
    void OpenFolder(const std::string&) override {}
    void OpenAddress(const std::string&) override {}
};
struct QuietDesktop final : DesktopSession, BatchSummaryView {
    void HoldOffSleep(const std::string&) override {}
    void AllowSleep() override {}
    void PublishProgress(double) override {}
    void HideProgress() override {}
    void Notify(const std::string&, const std::string&) override {}
    void ShowSummary(const BatchSummary&) override {}
};
struct NoPower final : Power {
    bool PowerOff() override { return false; }
    void TrimMemory() override {}
};

void Select(OptionList& list, CatalogueTable table, const std::string& selected) {
    const std::vector<std::string> entries = CatalogueList(table);
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        list.Append(entries[i]);
        if (entries[i] == selected)
            list.Select(static_cast<int32_t>(i));
    }
}

bool MakeClip(const std::string& path) {
    PosixProcessLauncher launcher;
    auto child = launcher.Start("/usr/bin/ffmpeg",
                                " -v error -y -f lavfi -i testsrc=duration=2:size=160x120:rate=25 "
                                "-f lavfi -i sine=duration=2:sample_rate=44100 -c:v mpeg4 -c:a pcm_s16le " +
                                    QuoteArgument(path),
                                fs::path(path).parent_path().string());
    while (child && child->IsRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return fs::exists(path);
}

// A program folder with the built trenc and rtrenc in it.
fs::path MakeProgramFolder(const fs::path& work) {
    const char* programDir = std::getenv("RIVAMO_PROGRAM_DIR");
    const fs::path built = programDir != nullptr ? programDir : RIVAMO_PROGRAM_DIR_DEFAULT;
    const fs::path program = work / "program";
    fs::create_directories(program / "Config");
    for (const char* name : {"trenc", "rtrenc"})
        fs::copy_file(built / name, program / name);
    return program;
}

// Makes the clips and checks a row for each; false when the ffmpeg command failed.
bool AddClips(const fs::path& folder, SourceList& sources) {
    fs::create_directories(folder);
    for (int i = 0; i < ClipCount; ++i) {
        const std::string clip = (folder / ("clip" + std::to_string(i) + ".avi")).string();
        if (!MakeClip(clip)) {
            std::fprintf(stderr, "cannot make %s with the ffmpeg command\n", clip.c_str());
            return false;
        }
        const std::size_t row = sources.AppendRow();
        sources.SetCell(row, colCheck, CheckedText);
        sources.SetCell(row, colFileName, clip);
        sources.SetCell(row, colDuration, "00:00:02");
        sources.SetCell(row, colStartTime, "00:00:00");
        sources.SetCell(row, colEndTime, "00:00:02");
        sources.SetCell(row, colCutTime, "00:00:02");
    }
    return true;
}

struct BatchFigures {
    int converted = 0;
    double wall = 0;
    double runs = 0;
    double meanRun = 0;
    std::vector<std::string> outputs;
};

BatchFigures RunBatch(const std::string& programFolder, SourceList& sources, const fs::path& out,
                      bool quick) {
    OptionSelection options;
    Select(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes, "RM Video Files (*.rm)");
    MainChoices choices(out.string());
    choices.SetShowOutputDirectory(false);
    choices.SetQuickBatch(quick);
    TCustomProc proc(programFolder, options, choices);
    TAppFunc log(programFolder);
    TFileFunc files;
    TCommonLib commonLib(programFolder, proc, sources, log, files);
    CommonLibCommands commands(commonLib);
    ConvertingState progress;
    QuietView view;
    YesBoxes boxes;
    TimedLauncher launcher;
    SteadyClock clock;
    NoEvents pump;
    NoShell shell;
    NoPower power;
    FfmpegMediaProbe probe;
    QuietDesktop desktop;
    BatchSupervisor supervisor({proc, sources, progress, boxes, log, probe, desktop, desktop, clock});
    BatchDriver driver(BatchServices{proc, sources, commands, supervisor, progress, view, boxes, log,
                                     launcher, clock, pump, shell, power});

    const auto start = Wall::now();
    driver.ConvertBatch();
    BatchFigures figures;
    figures.wall = Seconds(Wall::now() - start);
    for (double run : launcher.runs)
        figures.runs += run;
    figures.meanRun = launcher.runs.empty() ? 0 : figures.runs / static_cast<double>(launcher.runs.size());
    for (const RowResult& row : supervisor.Results().Rows())
        if (row.outcome == RowOutcome::Converted) {
            ++figures.converted;
            figures.outputs.push_back(row.output);
        }
    return figures;
}

// What the batch does to check one output: the file's presence and size, and the duration probe.
double CheckSeconds(const std::string& output) {
    constexpr int Rounds = 20;
    FfmpegMediaProbe probe;
    const auto start = Wall::now();
    int64_t sink = 0;
    for (int i = 0; i < Rounds; ++i) {
        sink += static_cast<int64_t>(fs::file_size(output));
        sink += probe.NewGraph()->RenderDurationMs(output);
    }
    const double seconds = Seconds(Wall::now() - start) / Rounds;
    return sink > 0 ? seconds : -1;
}

} // namespace

int main() {
    const fs::path work = fs::temp_directory_path() / ("rivamo-batch-bench-" + std::to_string(getpid()));
    const fs::path program = MakeProgramFolder(work);
    SourceList sources;
    if (!AddClips(work / "clips", sources))
        return 1;

    const std::string programFolder = program.string() + "/";
    bool fine = true;
    for (const bool quick : {false, true}) {
        const BatchFigures figures =
            RunBatch(programFolder, sources, work / (quick ? "quick" : "default"), quick);
        fine = fine && figures.converted == ClipCount;
        std::printf("%s batch: %d of %d converted and checked\n", quick ? "quick" : "default",
                    figures.converted, ClipCount);
        std::printf("  batch wall time:          %.3f s\n", figures.wall);
        std::printf("  transcoder runs, sum:     %.3f s\n", figures.runs);
        std::printf("  batch cost per file:      %.3f s  (%s)\n", (figures.wall - figures.runs) / ClipCount,
                    quick ? "target < 0.15 s" : "floor 5.0 s, target <= 5.2 s");
        if (quick && !figures.outputs.empty()) {
            const double check = CheckSeconds(figures.outputs.front());
            std::printf(
                "check of one output:        %.4f s = %.2f %% of its conversion (%.3f s; target < 5 %%)\n",
                check, 100 * check / figures.meanRun, figures.meanRun);
        }
    }
    fs::remove_all(work);
    return fine ? 0 : 1;
}

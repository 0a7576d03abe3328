// The batch's own cost per file: a batch of five short clips converted by the program's transcoder
// with the real pauses; (batch wall time - the sum of the transcoder runs' wall times) / 5.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "convert/BatchDriver.h"
#include "convert/CommonLib.h"
#include "convert/CommonLibCommands.h"
#include "convert/PosixProcessLauncher.h"
#include "profiles/Catalogue.h"
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

} // namespace

int main() {
    const fs::path work = fs::temp_directory_path() / ("rivamo-batch-bench-" + std::to_string(getpid()));
    const fs::path program = MakeProgramFolder(work);
    SourceList sources;
    if (!AddClips(work / "clips", sources))
        return 1;

    const std::string programFolder = program.string() + "/";
    OptionSelection options;
    Select(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes, "RM Video Files (*.rm)");
    MainChoices choices((work / "out").string());
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
    choices.SetShowOutputDirectory(false);
    BatchDriver driver(BatchServices{proc, sources, commands, progress, view, boxes, log, launcher, clock,
                                     pump, shell, power});

    const auto start = Wall::now();
    driver.ConvertBatch();
    const double batch = Seconds(Wall::now() - start);

    double runs = 0;
    for (double run : launcher.runs)
        runs += run;
    std::printf("files converted:           %d (runs timed: %zu)\n", proc.FilesDone, launcher.runs.size());
    std::printf("batch wall time:           %.3f s\n", batch);
    std::printf("transcoder runs, sum:      %.3f s\n", runs);
    std::printf("batch cost per file:       %.3f s  (floor 5.0 s, target <= 5.2 s)\n",
                (batch - runs) / ClipCount);
    std::printf("batch wall time per file:  %.3f s\n", batch / ClipCount);
    fs::remove_all(work);
    return proc.FilesDone == ClipCount ? 0 : 1;
}

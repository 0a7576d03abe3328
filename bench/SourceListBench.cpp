// Adding many files to the whole program's list: 1,000 files handed over at once (as a drop or the
// open dialog does) and a folder of 1,000 files. Prints the time until all rows are there, until
// all durations are measured, the longest time the window's events waited, and the memory with the
// rows in. Run on a display or with QT_QPA_PLATFORM=offscreen.
//   source_list_bench [count]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>

#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "bench/RunProgram.h"
#include "support/QtMessageBoxes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int DefaultCount = 1000;
constexpr std::chrono::milliseconds TickInterval{2};
constexpr std::chrono::minutes LongestRun{10};

double Milliseconds(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

// The CPU time of the calling thread: on a busy machine the wall time mostly measures the others.
double ThreadCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec)) /
           1e3;
}

std::string StatusLine(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return line;
    return key + ": ?";
}

// The machine's load over the last minute: on a shared machine the wall times follow it.
std::string LoadAverage() {
    std::ifstream loadavg("/proc/loadavg");
    std::string oneMinute;
    loadavg >> oneMinute;
    return oneMinute.empty() ? "?" : oneMinute;
}

// A short clip, linked under `count` names in a folder of its own: the files differ by name only,
// so the figures measure the list, not the disk.
std::vector<std::string> MakeFiles(const fs::path& folder, int count) {
    fs::create_directories(folder);
    const std::string clip = (folder.parent_path() / "clip.avi").string();
    if (!fs::exists(clip) &&
        RunProgram({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "testsrc=size=160x120:rate=10", "-t", "2", "-c:v", "mpeg4", clip}) != 0)
        return {};
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "clip%04d.avi", i);
        fs::create_hard_link(clip, folder / name);
        paths.push_back((folder / name).string());
    }
    return paths;
}

// The longest wait of the window's events: a timer that should fire every few milliseconds.
class StallMeter {
public:
    StallMeter() {
        m_timer.setInterval(TickInterval);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_last = Clock::now();
        m_timer.start();
    }
    Clock::duration Longest() const { return m_longest; }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    Clock::duration m_longest{};
};

void Measure(ProgramShell& program, const char* what, const std::function<void()>& add) {
    SourceListController& controller = program.SourceController();
    program.Sources().Clear();
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();

    StallMeter stalls;
    const auto start = Clock::now();
    Clock::time_point rowsIn;
    double addCpu = 0;
    QTimer::singleShot(0, [&] {
        const double before = ThreadCpuMilliseconds();
        add();
        addCpu = ThreadCpuMilliseconds() - before;
        rowsIn = Clock::now();
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if ((rowsIn != Clock::time_point{} && !controller.IsMeasuring()) || Clock::now() - start > LongestRun)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    const auto measured = Clock::now();
    std::printf("%s: %zu rows in %.0f ms (%.0f ms CPU of the window's thread), all durations in %.0f ms, "
                "longest event wait %.0f ms, %s, load average %s\n",
                what, program.Sources().RowCount(), Milliseconds(rowsIn - start), addCpu,
                Milliseconds(measured - start), Milliseconds(stalls.Longest()), StatusLine("VmRSS").c_str(),
                LoadAverage().c_str());
}

} // namespace

int main(int argc, char* argv[]) {
    RivamoApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    const int count = argc > 1 ? std::atoi(argv[1]) : DefaultCount;
    const fs::path work = fs::temp_directory_path() / ("rivamo-list-bench-" + std::to_string(getpid()));
    const std::vector<std::string> files = MakeFiles(work / "clips", count);
    if (files.empty()) {
        std::fprintf(stderr, "ffmpeg could not make the clip\n");
        return 1;
    }
    fs::create_directories(work / "program" / "Config");
    const char* built = std::getenv("RIVAMO_PROGRAM_DIR");
    for (const char* name : {"Uiface.so", "Branding.so"})
        fs::copy_file(fs::path(built != nullptr ? built : RIVAMO_PROGRAM_DIR_DEFAULT) / name,
                      work / "program" / name);
    QtMessageBoxes boxes;
    {
        ProgramShell program((work / "program").string() + "/", boxes, [] {});
        program.Start();
        std::printf("before: %s\n", StatusLine("VmRSS").c_str());
        Measure(program, "files", [&] { program.SourceController().StartAddingSourceFiles(files); });
        Measure(program, "folder", [&] {
            program.SourceController().StartAddingSourceFiles(
                SourceListController::WithFolderContents({(work / "clips").string()}));
        });
    }
    fs::remove_all(work);
    return 0;
}

// The whole program previewing a 1080p H.264 clip: how long the event loop stands still while a
// file loads, the time from selecting a row to its first picture and of an exact seek while paused,
// its peak memory while playing, and its CPU use while idle and while the preview stands paused.
// Run on a display (Xvfb is enough: Mesa draws in software).
//   preview_bench [clip]   (without a clip, a 20-second 1080p H.264 clip is made with ffmpeg)

#include <algorithm>
#include <chrono>
#include <cmath>
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

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "bench/RunProgram.h"
#include "sources/PreviewPanel.h"
#include "sources/VideoWindow.h"
#include "support/QtMessageBoxes.h"

namespace {

namespace fs = std::filesystem;
using Wall = std::chrono::steady_clock;

constexpr int Loads = 5;
// Exact positions between key frames (the clip has one every ten seconds), in milliseconds.
constexpr int64_t SeekTargetsMs[] = {3040, 7520, 12040, 5200, 15600};
constexpr int PictureLimitMs = 10000;
constexpr double HalfPictureMs = 20; // 25 pictures a second
constexpr int PlayingSeconds = 10;
constexpr int PausedSeconds = 10;
constexpr int IdleSeconds = 5;

bool MakeClip(const std::string& path) {
    const std::vector<std::string> arguments = {"ffmpeg",
                                                "-nostdin",
                                                "-hide_banner",
                                                "-loglevel",
                                                "error",
                                                "-y",
                                                "-f",
                                                "lavfi",
                                                "-i",
                                                "testsrc=size=1920x1080:rate=25",
                                                "-f",
                                                "lavfi",
                                                "-i",
                                                "sine=frequency=440:sample_rate=48000",
                                                "-c:v",
                                                "libx264",
                                                "-preset",
                                                "veryfast",
                                                "-c:a",
                                                "aac",
                                                "-t",
                                                "20",
                                                path};
    return RunProgram(arguments) == 0;
}

// A line of /proc/self/status, such as "VmHWM:   123456 kB".
std::string StatusLine(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return line;
    return key + ": ?";
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A program folder of its own, with the built companion libraries the start-up checks for.
fs::path MakeProgramFolder() {
    const char* built = std::getenv("RIVAMO_PROGRAM_DIR");
    const fs::path source = built != nullptr ? built : RIVAMO_PROGRAM_DIR_DEFAULT;
    const fs::path folder = fs::temp_directory_path() / ("rivamo-preview-bench-" + std::to_string(getpid()));
    fs::create_directories(folder / "Config");
    for (const char* name : {"Uiface.so", "Branding.so"})
        fs::copy_file(source / name, folder / name);
    return folder;
}

void RunEvents(int seconds) {
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

// The process's CPU time while `work` runs, as a share of one core over the wall time it took.
template <typename Work> double CpuShareWhile(Work work) {
    const double before = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return (CpuSeconds() - before) / wall * 100;
}

double Ms(Wall::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The longest time the event loop stood still: a timer that asks to run every millisecond notes
// the longest gap between two of its runs.
class StallWatch {
public:
    StallWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Note(); });
    }
    void Start() {
        m_last = Wall::now();
        m_longest = {};
        m_timer.start();
    }
    double StopMs() {
        Note();
        m_timer.stop();
        return Ms(m_longest);
    }

private:
    void Note() {
        const auto now = Wall::now();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    Wall::time_point m_last;
    Wall::duration m_longest{};
};

// Runs `start` inside the event loop and the loop until the video window's next picture (at most
// PictureLimitMs); the milliseconds from the start to that picture, negative when none came.
template <typename Start> double MsToNextPicture(TVideoWindow& video, Start start) {
    QEventLoop loop;
    Wall::time_point begin;
    double ms = -1;
    QObject::connect(&video, &TVideoWindow::PictureDrawn, &loop, [&] {
        if (ms < 0)
            ms = Ms(Wall::now() - begin);
        loop.quit();
    });
    QTimer::singleShot(0, &loop, [&] {
        begin = Wall::now();
        start();
    });
    QTimer::singleShot(PictureLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void PrintFigures(const char* what, const std::vector<double>& values, double goal) {
    std::printf("%-38s median %7.1f ms, worst %7.1f ms (goal < %.0f ms)\n", what, Median(values),
                *std::max_element(values.begin(), values.end()), goal);
}

// The selected row played from a stopped preview, Loads times: the time to its first picture and
// the longest stall of the event loop from the click until then.
bool MeasureLoading(ProgramShell& program, TVideoWindow& video) {
    std::vector<double> pictures;
    std::vector<double> stalls;
    for (int i = 0; i < Loads; ++i) {
        program.MainForm().btnStopClick();
        RunEvents(1);
        StallWatch watch;
        const double ms = MsToNextPicture(video, [&] {
            watch.Start();
            program.Sources().SelectOnly(0);
            program.MainForm().btnPlayClick();
        });
        stalls.push_back(watch.StopMs());
        if (ms < 0) {
            std::fprintf(stderr, "no picture within %d ms\n", PictureLimitMs);
            return false;
        }
        pictures.push_back(ms);
    }
    PrintFigures("row selected to first picture:", pictures, 300);
    PrintFigures("longest event-loop stall while loading:", stalls, 50);
    return true;
}

// Exact seeks while paused, each between key frames: the time to the picture there.
bool MeasureSeeking(ProgramShell& program, TVideoWindow& video) {
    program.MainForm().btnPauseClick();
    RunEvents(1);
    std::vector<double> seeks;
    for (const int64_t target : SeekTargetsMs) {
        const double ms = MsToNextPicture(video, [&] { program.Preview().SeekPreview(target); });
        RunEvents(1);
        const double offBy = std::abs(static_cast<double>(program.Preview().CurrentMs() - target));
        if (ms < 0 || offBy > HalfPictureMs) {
            std::fprintf(stderr, "the seek to %lld ms showed no picture there\n",
                         static_cast<long long>(target));
            return false;
        }
        seeks.push_back(ms);
    }
    PrintFigures("exact seek while paused:", seeks, 150);
    program.MainForm().btnPlayClick();
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    RivamoApplication app(argc, argv);
    const fs::path folder = MakeProgramFolder();
    std::string clip = argc > 1 ? argv[1] : (folder / "clip1080p.mov").string();
    if (argc <= 1 && !MakeClip(clip)) {
        std::fprintf(stderr, "ffmpeg could not make the clip\n");
        return 1;
    }
    QtMessageBoxes boxes;
    int result = 0;
    {
        ProgramShell program(folder.string() + "/", boxes, [] {});
        program.Start();
        RunEvents(1);
        std::printf("idle, nothing loaded, %d s: CPU %.1f %% of one core\n", IdleSeconds,
                    CpuShareWhile([] { RunEvents(IdleSeconds); }));
        program.SourceController().AddSourceFiles({clip});
        std::printf("before preview:  %s\n", StatusLine("VmHWM").c_str());
        TVideoWindow* video = program.PreviewPanel().DSVideoWindowEx1;
        if (video == nullptr || !MeasureLoading(program, *video) || !MeasureSeeking(program, *video) ||
            !program.Preview().PreviewPlaying()) {
            std::fprintf(stderr, "the clip did not play\n");
            result = 1;
        } else {
            RunEvents(PlayingSeconds);
            std::printf("while previewing %d s: %s, %s, clock %s\n", PlayingSeconds,
                        StatusLine("VmHWM").c_str(), StatusLine("VmRSS").c_str(),
                        program.Preview().pnlCurTime().c_str());
            program.MainForm().btnPauseClick();
            RunEvents(1);
            std::printf("paused %d s: CPU %.1f %% of one core\n", PausedSeconds,
                        CpuShareWhile([] { RunEvents(PausedSeconds); }));
            program.MainForm().btnStopClick();
        }
    }
    fs::remove_all(folder);
    return result;
}

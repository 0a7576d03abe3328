// The whole program previewing a 1080p H.264 clip: its peak memory while playing, and its CPU use
// while idle and while the preview stands paused. Run on a display (Xvfb is enough: Mesa draws in software).
//   preview_bench [clip]   (without a clip, a 20-second 1080p H.264 clip is made with ffmpeg)

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

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "bench/RunProgram.h"
#include "support/QtMessageBoxes.h"

namespace {

namespace fs = std::filesystem;

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
        program.MainForm().btnPlayClick();
        if (!program.Preview().PreviewPlaying()) {
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

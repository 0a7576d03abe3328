// Start-up time to a usable main window, the splash's two seconds aside: the application object,
// the windows and controllers, and the first show (splash with the initialisation, option lists,
// user settings, profile) until the main window is exposed. The splash's fixed 250 ms before the
// initialisation is reported and taken out. Needs a display (xvfb-run) and the built program folder.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <QApplication>
#include <QWindow>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "support/MessageBoxes.h"

namespace fs = std::filesystem;
using Wall = std::chrono::steady_clock;

namespace {

constexpr int Runs = 5;
// Custom profile counts of the second table: the start-up must grow with the count, not its square.
constexpr int ProfileCounts[] = {2500, 5000, 10000};
constexpr double SplashFirstTimerMs = 250.0;

double Ms(Wall::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

class CountingBoxes final : public MessageBoxPresenter {
public:
    int Show(const std::string& /*text*/, MessageIcon /*icon*/, MessageButtons /*buttons*/) override {
        ++count;
        return IdOk;
    }
    int count = 0;
};

struct StartTimes {
    double shell = 0;
    double firstShow = 0;
};

StartTimes StartOnce(const std::string& programFolder, const fs::path& dataFolder) {
    CountingBoxes boxes;
    ProgramOptions options;
    options.splashTicks = 0;
    options.dataFolder = dataFolder.string() + "/";
    const auto begin = Wall::now();
    ProgramShell program(
        programFolder, boxes, [] {}, options);
    const auto built = Wall::now();
    program.Start();
    while (program.MainForm().windowHandle() == nullptr || !program.MainForm().windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const auto usable = Wall::now();
    if (boxes.count != 0)
        std::fprintf(stderr, "startup_bench: %d message boxes; is the program folder complete?\n",
                     boxes.count);
    return {Ms(built - begin), Ms(usable - built)};
}

void WriteProfiles(const fs::path& dataFolder, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Profile " + std::to_string(i);
        text += "[" + name + "]\r\n" + name + "=0|0|0|0|0|0\r\n";
    }
    std::FILE* file = std::fopen((dataFolder / "Config" / "UserProfileInfo.ini").c_str(), "wb");
    if (file == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

// Start-up with many custom profiles in the profile file, one start per count.
void PrintProfileTable(const std::string& programFolder, const fs::path& dataFolder) {
    std::printf("custom profiles  windows+controllers  first show to usable  without the splash's 250 ms\n");
    for (const int count : ProfileCounts) {
        WriteProfiles(dataFolder, count);
        const StartTimes times = StartOnce(programFolder, dataFolder);
        std::printf("%15d  %16.1f ms  %17.1f ms  %22.1f ms\n", count, times.shell, times.firstShow,
                    times.firstShow - SplashFirstTimerMs);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const auto begin = Wall::now();
    RivamoApplication app(argc, argv);
    const double applicationMs = Ms(Wall::now() - begin);

    const char* folder = std::getenv("RIVAMO_PROGRAM_DIR");
    const std::string programFolder =
        std::string(folder != nullptr ? folder : RIVAMO_PROGRAM_DIR_DEFAULT) + "/";
    const fs::path dataFolder =
        fs::temp_directory_path() / ("rivamo-startup-bench-" + std::to_string(::getpid()));
    fs::create_directories(dataFolder / "Config");

    std::printf("application object: %.1f ms\n", applicationMs);
    std::printf("run  windows+controllers  first show to usable  without the splash's 250 ms\n");
    for (int run = 1; run <= Runs; ++run) {
        const StartTimes times = StartOnce(programFolder, dataFolder);
        std::printf("%3d  %14.1f ms  %17.1f ms  %22.1f ms\n", run, times.shell, times.firstShow,
                    times.firstShow - SplashFirstTimerMs);
        if (run == 1)
            std::printf("     first start without the splash's waits: %.1f ms\n",
                        applicationMs + times.shell + times.firstShow - SplashFirstTimerMs);
    }
    PrintProfileTable(programFolder, dataFolder);
    fs::remove_all(dataFolder);
    return 0;
}

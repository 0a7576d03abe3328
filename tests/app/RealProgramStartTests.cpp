// The real program, started as a child process in a copy of the program folder on the X display
// of the test run, watched and closed through the X server like a user's desktop would.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <QProcess>
#include <QProcessEnvironment>

#include "app/Companions.h"
#include "app/ProductInfo.h"
#include "tests/common/TempDir.h"
#include "tests/common/XDesktop.h"

namespace {

std::filesystem::path BuiltProgramFolder() {
    const char* folder = std::getenv("RIVAMO_PROGRAM_DIR");
    return folder != nullptr ? folder : "";
}

using Clock = std::chrono::steady_clock;
constexpr auto StartTimeout = std::chrono::seconds(60);
constexpr auto PollStep = std::chrono::milliseconds(20);

class App_RealProgramStartTests : public testing::Test {
protected:
    void SetUp() override {
        if (!desktop.IsOpen())
            GTEST_SKIP() << "needs an X display (the test suite runs under xvfb-run)";
        for (const char* name : {"rivamo", UifaceLibraryName, BrandingLibraryName, "Manual.html"})
            std::filesystem::copy_file(BuiltProgramFolder() / name, folder.Path() / name);
        std::filesystem::create_directory(folder.Path() / "Config");
        std::filesystem::create_directory(home.Path() / "Videos");
    }

    void StartProgram() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("HOME", QString::fromStdString(home.Path().string()));
        // libxkbcommon-x11 hands strndup a buffer without a terminating NUL, which strict string
        // checks of a sanitized build report although strndup never reads past its length.
        if (environment.contains("ASAN_OPTIONS"))
            environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":strict_string_checks=0");
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QString::fromStdString(folder.Folder() + "rivamo"), {});
        ASSERT_TRUE(program.waitForStarted());
    }

    // Polls the display until `done` holds for the program's windows or the time is up.
    template <typename Predicate>
    std::vector<TopWindow> WaitFor(Predicate done, std::chrono::milliseconds timeout = StartTimeout) {
        return WaitForWindows([this] { return OwnWindows(); }, done, timeout);
    }

    std::vector<TopWindow> OwnWindows() const {
        std::vector<TopWindow> windows = desktop.ViewableWindows();
        const long pid = program.processId();
        std::erase_if(windows,
                      [pid](const TopWindow& w) { return w.pid != pid || w.name.rfind("Rivamo", 0) != 0; });
        return windows;
    }

    static const TopWindow* Find(const std::vector<TopWindow>& windows, const std::string& name,
                                 bool splash) {
        return FindWindow(windows, name, splash);
    }

    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    // One connection for all tests: Xvfb resets itself when its last client goes, and refuses new
    // connections for a moment then.
    static inline XDesktop desktop;
    TempDir folder;
    TempDir home;
    QProcess program;
    const std::string caption = "Rivamo " + VersionFromFileVersion(RIVAMO_PROJECT_VERSION);
};

TEST_F(App_RealProgramStartTests, SplashThenTheCaptionedMainWindowWhichClosesAndKeepsTheSettings) {
    StartProgram();
    WaitFor([](const auto& windows) { return Find(windows, "Rivamo", true) != nullptr; });
    const auto splashSeen = Clock::now();
    const auto windows = WaitFor([&](const auto& w) { return Find(w, caption, false) != nullptr; });
    const auto mainSeen = Clock::now();
    const TopWindow* main = Find(windows, caption, false);
    ASSERT_NE(main, nullptr) << "no main window captioned " << caption;
    // One poll reads the windows one after another, so it may still catch the splash mapped.
    const auto after =
        WaitFor([](const auto& w) { return Find(w, "Rivamo", true) == nullptr; }, std::chrono::seconds(2));
    EXPECT_EQ(Find(after, "Rivamo", true), nullptr) << "the splash is gone when the main window shows";
    EXPECT_GE(mainSeen - splashSeen, std::chrono::milliseconds(1500));

    desktop.RequestClose(main->id);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "Config" / "UserSettings.ini"));
}

TEST_F(App_RealProgramStartTests, WithoutUifaceOneMessageAndTheProgramEndsByItself) {
    std::filesystem::remove(folder.Path() / UifaceLibraryName);
    StartProgram();
    // A box is a window captioned "Rivamo" that is never of the splash's or the main window's size, seen
    // settled in two polls in a row (a window being mapped may show another size for a moment).
    std::set<unsigned long> boxes;
    std::set<unsigned long> splashes;
    std::map<unsigned long, int> polls;
    const auto untilEnd = Clock::now() + StartTimeout;
    while (program.state() != QProcess::NotRunning && Clock::now() < untilEnd) {
        for (const TopWindow& window : OwnWindows()) {
            if (window.name != "Rivamo" || window.size == MainWindowSize)
                continue;
            if (window.size == SplashSize)
                splashes.insert(window.id);
            else if (!splashes.contains(window.id) && ++polls[window.id] == 2 &&
                     boxes.insert(window.id).second)
                desktop.RequestClose(window.id); // the box's only button, as Escape or its close button
        }
        program.waitForFinished(static_cast<int>(PollStep.count()));
    }
    ASSERT_EQ(program.state(), QProcess::NotRunning) << "the program did not end after start-up";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Config" / "UserSettings.ini"));
}

} // namespace

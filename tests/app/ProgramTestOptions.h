#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Companions.h"
#include "app/ProgramShell.h"
#include "support/DesktopSession.h"
#include "support/SystemServices.h"
#include "tests/common/TempDir.h"

// The program folder of the build, with rivamo and its companion libraries.
inline std::filesystem::path BuiltProgramFolder() {
    const char* folder = std::getenv("RIVAMO_PROGRAM_DIR");
    return folder != nullptr ? folder : "";
}

// A temporary program folder holding the built companion libraries, as an installation has them.
class TestProgramFolder : public TempDir {
public:
    TestProgramFolder() {
        for (const char* name : {UifaceLibraryName, BrandingLibraryName})
            std::filesystem::copy_file(BuiltProgramFolder() / name, Path() / name);
    }
    // The built trenc and rtrenc and an empty Config folder beside them, for tests that convert.
    void AddTranscoders() const {
        for (const char* name : {"trenc", "rtrenc"})
            std::filesystem::copy_file(BuiltProgramFolder() / name, Path() / name);
        std::filesystem::create_directory(Path() / "Config");
    }
};

// The desktop and the power as the whole-program tests see them: recorded, never acted on.
class RecordingShell final : public Shell {
public:
    void OpenFolder(const std::string& folder) override { folders.push_back(folder); }
    void OpenAddress(const std::string& address) override { addresses.push_back(address); }
    std::vector<std::string> folders;
    std::vector<std::string> addresses;
};

class RecordingPower final : public Power {
public:
    bool PowerOff() override {
        ++powerOffs;
        return true;
    }
    void TrimMemory() override {}
    int powerOffs = 0;
};

// The program as it runs, but with a splash that goes as soon as the program is initialised.
inline ProgramOptions NoSplashWait() {
    ProgramOptions options;
    options.splashTicks = 0;
    return options;
}

// The desktop's sleep hold, dock and notifications, recorded instead of sent over D-Bus.
class RecordingDesktop final : public DesktopSession {
public:
    void HoldOffSleep(const std::string&) override { holding = true; }
    void AllowSleep() override { holding = false; }
    void PublishProgress(double) override {}
    void HideProgress() override {}
    void Notify(const std::string& summary, const std::string& body) override {
        notifications.push_back(summary + ": " + body);
    }
    bool holding = false;
    std::vector<std::string> notifications;
};

// The program with short batch pauses, a splash that goes as soon as the program is initialised,
// and the recording desktop and power.
inline ProgramOptions ShortPauses(Shell& shell, Power& power, DesktopSession* desktop = nullptr) {
    static RecordingDesktop quietDesktop;
    ProgramOptions options;
    options.splashTicks = 0;
    options.timing.showPauseMs = 50;
    options.timing.startPauseMs = 300;
    options.timing.pollMs = 20;
    options.timing.runnerPauseMs = 50;
    options.shell = &shell;
    options.power = &power;
    options.desktop = desktop != nullptr ? desktop : &quietDesktop;
    return options;
}

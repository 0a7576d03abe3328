#include <cstdio>
#include <cstdlib>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "settings/IniFiles32.h"
#include "support/Log.h"
#include "support/MessageBoxes.h"
#include "support/PosixDiskSync.h"
#include "support/QtMessageBoxes.h"
#include "support/SingleInstance.h"
#include "support/TerminationSignal.h"
#include "support/UserDataFolder.h"

namespace {

constexpr const char* AlreadyRunning = "Rivamo is already running.";

// The program ends at once when its main window closes, whatever else is still running.
[[noreturn]] void EndProcess() {
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace

int main(int argc, char* argv[]) {
    // The preview's video window keeps its pictures when Qt moves it to another top-level window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RivamoApplication app(argc, argv);
    // Settings files reach the disk before they replace the old ones, so a crash of the system
    // leaves the old or the new settings, never an empty file.
    static PosixDiskSync diskSync;
    SetIniFileDiskSync(&diskSync);
    QtMessageBoxes boxes;
    app.SetErrorPresenter(&boxes);
    const std::string programFolder = ExeFolder();
    ProgramOptions options;
    options.dataFolder = DataFolder(programFolder);
    // The folder the program writes to (Config/, log.txt, the script): one Rivamo per folder.
    SingleInstance instance(options.dataFolder);
    if (!instance.Claim()) {
        instance.AskRunningToComeForward();
        ShowMessageKind(boxes, AlreadyRunning, MessageKind::Information);
        return EXIT_SUCCESS;
    }
    ProgramShell program(programFolder, boxes, EndProcess, options);
    instance.SetComeForwardHandler([&program] {
        TFrmMainForm& window = program.MainForm();
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    // SIGTERM (a logout, a service manager, kill) ends the program as a confirmed close would.
    const TerminationSignal termination([&program] { program.EndOnRequest(); });
    program.Start();
    return app.exec();
}

#include <cstdio>
#include <cstdlib>

#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "support/Log.h"
#include "support/QtMessageBoxes.h"
#include "support/UserDataFolder.h"

namespace {

// The program ends at once when its main window closes, whatever else is still running.
[[noreturn]] void EndProcess() {
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace

int main(int argc, char* argv[]) {
    RivamoApplication app(argc, argv);
    QtMessageBoxes boxes;
    app.SetErrorPresenter(&boxes);
    const std::string programFolder = ExeFolder();
    ProgramOptions options;
    options.dataFolder = DataFolder(programFolder);
    ProgramShell program(programFolder, boxes, EndProcess, options);
    program.Start();
    return app.exec();
}

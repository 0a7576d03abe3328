#include <cstdio>
#include <cstdlib>

#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "support/Log.h"
#include "support/QtMessageBoxes.h"

namespace {

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
    QtMessageBoxes boxes;
    app.SetErrorPresenter(&boxes);
    ProgramShell program(ExeFolder(), boxes, EndProcess);
    program.Start();
    return app.exec();
}

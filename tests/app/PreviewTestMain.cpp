// The preview's whole-program tests: GoogleTest inside the program's application object, on the X
// display the suite runs under, since the video window needs OpenGL. Listing the tests needs no
// display.
#include <gtest/gtest.h>

#include <cstring>

#include <dlfcn.h>

#include <QByteArray>
#include <QtGlobal>

#include "app/RivamoApplication.h"

// The main window's video window may load Mesa's software renderer, which Mesa unloads again when
// the display closes; the leak report at exit could then not name the library that its own
// allocations come from, and its suppression would not apply. Held here, it stays loaded.
[[maybe_unused]] void* const KeepRendererLoaded =
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);

int main(int argc, char* argv[]) {
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM",
                QByteArray(listing || !qEnvironmentVariableIsSet("DISPLAY") ? "offscreen" : "xcb"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RivamoApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

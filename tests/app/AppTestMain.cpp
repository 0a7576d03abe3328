// The window tests run inside the program's own application object, so that its general error
// report is the one under test.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string_view>

#include <QByteArray>
#include <QtGlobal>

#include "app/RivamoApplication.h"

// The main window's video window may load Mesa's software renderer, which Mesa unloads again when
// the display closes; the leak report at exit could then not name the library that its own
// allocations come from, and its suppression would not apply. Held here, it stays loaded.
[[maybe_unused]] void* const KeepRendererLoaded =
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);

int main(int argc, char* argv[]) {
    // Test discovery runs without the test's environment; the windows need no screen, unless the
    // tests are built to run on the X display of the test run.
#ifdef RIVAMO_TESTS_ON_DISPLAY
    const bool listing = argc > 1 && std::string_view(argv[argc - 1]).starts_with("--gtest_list_tests");
    if (qEnvironmentVariableIsSet("DISPLAY") && !listing)
        qputenv("QT_QPA_PLATFORM", QByteArray("xcb"));
#endif
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    RivamoApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The window tests run inside the program's own application object, so that its general error
// report is the one under test.
#include <gtest/gtest.h>

#include <string_view>

#include <QByteArray>
#include <QtGlobal>

#include "app/RivamoApplication.h"

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

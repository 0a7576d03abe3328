// The window tests run inside the program's own application object, so that its general error
// report is the one under test.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "app/RivamoApplication.h"

int main(int argc, char* argv[]) {
    // Test discovery runs without the test's environment; the windows need no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    RivamoApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The preview's whole-program tests: GoogleTest inside the program's application object, on the X
// display the suite runs under, since the video window needs OpenGL. Listing the tests needs no
// display.
#include <gtest/gtest.h>

#include <cstring>

#include <QByteArray>
#include <QtGlobal>

#include "app/RivamoApplication.h"

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

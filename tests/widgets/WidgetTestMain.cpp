#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QtGlobal>

int main(int argc, char* argv[]) {
    // Test discovery runs without the test's environment; the widgets need no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The desktop over D-Bus against buses of the test's own: two dbus-daemon processes stand for the
// system and the session bus, and stand-in services on them record what reaches them.
#include "support/DbusDesktopSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QThread>
#include <QVariantMap>

#include <poll.h>
#include <unistd.h>

#include "tests/support/DbusStandIns.h"

namespace {

// Runs the event loop until `done` holds or two seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done() && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return done();
}

// True once nobody holds the read end of the pipe any more.
bool ReaderGone(int writeEnd) {
    pollfd entry{writeEnd, POLLOUT, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLERR) != 0;
}

} // namespace

TEST(Support_DbusDesktopSessionTests, SleepHoldDockProgressAndNotificationReachTheirServices) {
    DbusDesktopSession desktop;
    // No service on either bus yet: every call is a quiet no-op.
    desktop.HoldOffSleep("Converting videos");
    EXPECT_FALSE(desktop.HoldsOffSleep());
    desktop.Notify("nobody", "listens");

    StandIns services;
    desktop.HoldOffSleep("Converting videos");
    ASSERT_TRUE(desktop.HoldsOffSleep());
    EXPECT_EQ(services.login.Calls(), QStringList({"sleep:idle|Rivamo|Converting videos|block"}));
    EXPECT_FALSE(ReaderGone(services.login.writeEnd));
    desktop.AllowSleep();
    EXPECT_TRUE(WaitFor([&] { return ReaderGone(services.login.writeEnd); }));

    desktop.PublishProgress(0.25);
    desktop.HideProgress();
    EXPECT_TRUE(WaitFor([&] { return services.launcher.Calls().size() == 2; }));
    EXPECT_EQ(services.launcher.Calls(), QStringList({"application://rivamo.desktop|0.25|true",
                                                      "application://rivamo.desktop|0|false"}));

    desktop.Notify("Rivamo: conversion finished", "2 converted, 1 failed.");
    EXPECT_TRUE(WaitFor([&] { return !services.notifications.Calls().isEmpty(); }));
    EXPECT_EQ(services.notifications.Calls(),
              QStringList({"Rivamo|Rivamo: conversion finished|2 converted, 1 failed."}));
}

int main(int argc, char** argv) {
    // Both buses are the test's own, set before Qt first connects to either.
    QProcess system;
    QProcess session;
    for (auto [bus, variable] :
         {std::pair{&system, "DBUS_SYSTEM_BUS_ADDRESS"}, {&session, "DBUS_SESSION_BUS_ADDRESS"}}) {
        bus->start(QStringLiteral("dbus-daemon"),
                   {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!bus->waitForReadyRead(5000)) {
            std::fprintf(stderr, "dbus-daemon did not start\n");
            return 1;
        }
        qputenv(variable, bus->readLine().trimmed());
    }
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    for (QProcess* bus : {&system, &session}) {
        bus->terminate();
        bus->waitForFinished();
    }
    return result;
}

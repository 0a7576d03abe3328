#include "support/ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

namespace {

constexpr const char* Service = "org.freedesktop.ScreenSaver";
constexpr const char* Path = "/org/freedesktop/ScreenSaver";
constexpr const char* ApplicationName = "Rivamo";
constexpr const char* Reason = "Playing a preview";

// Whether the session has a bus and the bus has the service.
bool ServicePresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(QString::fromLatin1(Service)).value();
}

} // namespace

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    Hold(false);
}

void ScreenSaverInhibitor::Hold(bool hold) {
    if (hold == Holding() || (hold && !ServicePresent()))
        return;
    QDBusInterface screenSaver(QString::fromLatin1(Service), QString::fromLatin1(Path),
                               QString::fromLatin1(Service), QDBusConnection::sessionBus());
    if (hold) {
        const QDBusReply<uint32_t> cookie = screenSaver.call(
            QStringLiteral("Inhibit"), QString::fromLatin1(ApplicationName), QString::fromLatin1(Reason));
        if (cookie.isValid())
            m_cookie = cookie.value();
        return;
    }
    screenSaver.call(QStringLiteral("UnInhibit"), *m_cookie);
    m_cookie.reset();
}

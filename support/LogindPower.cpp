#include "support/LogindPower.h"

#include <malloc.h>

#include <QDBusConnection>
#include <QDBusMessage>

bool LogindPower::PowerOff() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << false; // not interactive: no authentication prompt; inhibitors still apply
    const QDBusMessage reply = bus.call(call);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void LogindPower::TrimMemory() {
    malloc_trim(0);
}

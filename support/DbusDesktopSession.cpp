#include "support/DbusDesktopSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace {

constexpr const char* ProgramName = "Rivamo";
constexpr const char* LauncherPath = "/com/rivamo/Rivamo";
constexpr const char* LauncherInterface = "com.canonical.Unity.LauncherEntry";
// A bus that does not answer within this time is treated as absent.
constexpr int InhibitTimeoutMs = 2000;
constexpr int NotificationTimeoutMs = -1; // the server's default

QDBusMessage InhibitCall(const std::string& why) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QString::fromLatin1(ProgramName) << QString::fromStdString(why)
         << QStringLiteral("block");
    return call;
}

} // namespace

DbusDesktopSession::DbusDesktopSession(std::string desktopEntry)
    : m_appUri("application://" + desktopEntry) {}

DbusDesktopSession::~DbusDesktopSession() = default;

void DbusDesktopSession::HoldOffSleep(const std::string& why) {
    if (m_inhibitor)
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    const QDBusMessage reply = bus.call(InhibitCall(why), QDBus::Block, InhibitTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    auto descriptor = std::make_unique<QDBusUnixFileDescriptor>(
        qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst()));
    if (descriptor->isValid())
        m_inhibitor = std::move(descriptor);
}

// Closing the descriptor ends the hold.
void DbusDesktopSession::AllowSleep() {
    m_inhibitor.reset();
}

void DbusDesktopSession::PublishProgress(double fraction) {
    SendLauncherUpdate(fraction, true);
}

void DbusDesktopSession::HideProgress() {
    SendLauncherUpdate(0, false);
}

void DbusDesktopSession::SendLauncherUpdate(double fraction, bool visible) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(
        QString::fromLatin1(LauncherPath), QString::fromLatin1(LauncherInterface), QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), fraction);
    properties.insert(QStringLiteral("progress-visible"), visible);
    update << QString::fromStdString(m_appUri) << properties;
    bus.send(update);
}

// Sent without waiting for the answer: a missing notification server costs nothing.
void DbusDesktopSession::Notify(const std::string& summary, const std::string& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QString::fromLatin1(ProgramName) << quint32{0} << QString() << QString::fromStdString(summary)
         << QString::fromStdString(body) << QStringList() << QVariantMap() << qint32{NotificationTimeoutMs};
    bus.send(call);
}

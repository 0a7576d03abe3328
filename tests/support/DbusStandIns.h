#pragma once

#include <mutex>

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include <unistd.h>

// A service that records each call as one text, safe to read from the test's thread.
class Recorder : public QObject {
    Q_OBJECT

public:
    QStringList Calls() const {
        const std::lock_guard lock(m_mutex);
        return m_calls;
    }

protected:
    void Record(const QStringList& parts) {
        const std::lock_guard lock(m_mutex);
        m_calls << parts.join('|');
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_calls;
};

// systemd-logind's Inhibit: hands out the read end of a pipe and keeps the write end, which tells
// the test when the last holder of the read end has closed it.
class StandInLogin : public Recorder {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    StandInLogin() {
        int ends[2];
        if (::pipe(ends) == 0) {
            readEnd = ends[0];
            writeEnd = ends[1];
        }
    }
    ~StandInLogin() override {
        ::close(writeEnd);
        if (readEnd >= 0)
            ::close(readEnd);
    }
    int readEnd = -1;
    int writeEnd = -1;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        Record({what, who, why, mode});
        QDBusUnixFileDescriptor handed(readEnd);
        ::close(readEnd); // from now on only the caller holds it
        readEnd = -1;
        return handed;
    }
};

class StandInNotifications : public Recorder {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        Record({app, summary, body});
        return 1;
    }
};

class LauncherListener : public Recorder {
    Q_OBJECT

public slots:
    void Update(const QString& app, const QVariantMap& properties) {
        Record(
            {app, properties.value("progress").toString(), properties.value("progress-visible").toString()});
    }
};

// The stand-ins on the test's buses, served by a thread of their own so that a blocking call from
// the test's thread is answered.
class StandIns {
public:
    StandIns()
        : m_system(QDBusConnection::connectToBus(QDBusConnection::SystemBus, "stand-in system")),
          m_session(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in session")) {
        m_thread.start();
        for (QObject* object : {static_cast<QObject*>(&login), static_cast<QObject*>(&notifications),
                                static_cast<QObject*>(&launcher)})
            object->moveToThread(&m_thread);
        m_system.registerService("org.freedesktop.login1");
        m_system.registerObject("/org/freedesktop/login1", &login, QDBusConnection::ExportAllSlots);
        m_session.registerService("org.freedesktop.Notifications");
        m_session.registerObject("/org/freedesktop/Notifications", &notifications,
                                 QDBusConnection::ExportAllSlots);
        m_session.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", &launcher,
                          SLOT(Update(QString, QVariantMap)));
    }
    ~StandIns() {
        m_thread.quit();
        m_thread.wait();
    }

    StandInLogin login;
    StandInNotifications notifications;
    LauncherListener launcher;

private:
    QThread m_thread;
    QDBusConnection m_system;
    QDBusConnection m_session;
};

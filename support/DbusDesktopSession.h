#pragma once

#include <memory>
#include <string>

#include "support/DesktopSession.h"

class QDBusUnixFileDescriptor;

// The desktop over D-Bus: systemd-logind's Inhibit on the system bus holds off sleep (the hold
// lasts while its descriptor is open); com.canonical.Unity.LauncherEntry signals carry the dock
// progress; org.freedesktop.Notifications shows the notification. A bus or service that is absent
// makes each a silent no-op, and nothing waits long for a bus.
class DbusDesktopSession final : public DesktopSession {
public:
    // `desktopEntry` names the program's desktop file, as the dock knows it.
    explicit DbusDesktopSession(std::string desktopEntry = "rivamo.desktop");
    ~DbusDesktopSession() override;
    DbusDesktopSession(const DbusDesktopSession&) = delete;
    DbusDesktopSession& operator=(const DbusDesktopSession&) = delete;

    void HoldOffSleep(const std::string& why) override;
    void AllowSleep() override;
    void PublishProgress(double fraction) override;
    void HideProgress() override;
    void Notify(const std::string& summary, const std::string& body) override;

    bool HoldsOffSleep() const { return m_inhibitor != nullptr; }

private:
    void SendLauncherUpdate(double fraction, bool visible);

    std::string m_appUri;
    std::unique_ptr<QDBusUnixFileDescriptor> m_inhibitor;
};

#pragma once

#include <string>

// What the desktop is told while a batch runs. Each is silently skipped where its service is
// absent: a batch never fails or waits because of the desktop.
class DesktopSession {
public:
    virtual ~DesktopSession() = default;
    // Holds off sleep and idle suspend until AllowSleep(); `why` is shown by the system's tools.
    virtual void HoldOffSleep(const std::string& why) = 0;
    virtual void AllowSleep() = 0;
    // The batch's progress on the program's dock entry, 0 to 1; hidden again by HideProgress().
    virtual void PublishProgress(double fraction) = 0;
    virtual void HideProgress() = 0;
    // One desktop notification.
    virtual void Notify(const std::string& summary, const std::string& body) = 0;
};

#pragma once

#include <cstdint>
#include <optional>

// Holds the desktop's screen saver off (org.freedesktop.ScreenSaver on the session bus) while Hold
// is true. Without a session bus or without the service nothing happens: the preview plays anyway.
class ScreenSaverInhibitor {
public:
    ScreenSaverInhibitor() = default;
    ~ScreenSaverInhibitor();
    ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
    ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

    void Hold(bool hold);
    bool Holding() const { return m_cookie.has_value(); }

private:
    std::optional<uint32_t> m_cookie;
};

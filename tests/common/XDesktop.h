#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The top-level windows of the X display the tests run on (xvfb-run), seen and closed through the
// X server as a desktop's window manager would.

struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};

// The sizes that tell the program's start-up windows apart: both are captioned "Rivamo" at first.
constexpr WindowSize SplashSize{480, 300};
constexpr WindowSize MainWindowSize{686, 519};

struct TopWindow {
    long pid = 0; // the process that made it (_NET_WM_PID), or 0
    unsigned long id = 0;
    std::string name;
    WindowSize size;
};

struct _XDisplay;

class XDesktop {
public:
    // Windows of other programs on the display may go away between listing and reading them: such an
    // error only drops that window, instead of ending the test through Xlib's default handler.
    XDesktop();
    bool IsOpen() const { return m_display != nullptr; }

    // The viewable top-level windows that have a name.
    std::vector<TopWindow> ViewableWindows() const;
    // What the window manager sends when the user clicks a window's close button.
    void RequestClose(unsigned long window);

private:
    long ProcessOf(unsigned long window) const;

    struct Closer {
        void operator()(_XDisplay* display) const;
    };
    std::unique_ptr<_XDisplay, Closer> m_display;
};

// The first window of the list with that name that is (or is not) of the splash's size.
const TopWindow* FindWindow(const std::vector<TopWindow>& windows, const std::string& name, bool splash);

// Polls `list` until `done` holds for what it gives or the time is up; returns the last list.
template <typename List, typename Predicate>
std::vector<TopWindow> WaitForWindows(List list, Predicate done, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    std::vector<TopWindow> windows = list();
    while (!done(windows) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        windows = list();
    }
    return windows;
}

#include "tests/common/XDesktop.h"

// Last: Xlib's macros (None, Status, Bool) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

void XDesktop::Closer::operator()(_XDisplay* display) const {
    XCloseDisplay(display);
}

XDesktop::XDesktop() : m_display(XOpenDisplay(nullptr)) {
    XSetErrorHandler(IgnoreError);
}

std::vector<TopWindow> XDesktop::ViewableWindows() const {
    std::vector<TopWindow> found;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(m_display.get(), DefaultRootWindow(m_display.get()), &root, &parent, &children, &count) ==
        0)
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(m_display.get(), children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable)
            continue;
        char* name = nullptr;
        if (XFetchName(m_display.get(), children[i], &name) != 0 && name != nullptr) {
            found.push_back(
                {ProcessOf(children[i]), children[i], name, WindowSize{attributes.width, attributes.height}});
            XFree(name);
        }
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

// Other tests may show windows on the same display at the same time: the process tells them apart.
long XDesktop::ProcessOf(unsigned long window) const {
    Display* display = m_display.get();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);
    if (data != nullptr)
        XFree(data);
    return pid;
}

void XDesktop::RequestClose(unsigned long window) {
    Display* display = m_display.get();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

const TopWindow* FindWindow(const std::vector<TopWindow>& windows, const std::string& name, bool splash) {
    for (const TopWindow& window : windows)
        if (window.name == name && (window.size == SplashSize) == splash)
            return &window;
    return nullptr;
}

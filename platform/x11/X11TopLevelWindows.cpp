#include "platform/x11/X11TopLevelWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/x11/HandoffAtom.h"

namespace fwut::x11 {

namespace {

constexpr long kIconicState = 3;  // ICCCM WM_STATE
constexpr long kLongestProperty = 1L << 16;

bool g_errorSeen = false;

int NoteError(Display*, XErrorEvent*)
{
    g_errorSeen = true;
    return 0;
}

// Windows of other programs may vanish at any moment: the errors that brings
// are caught for the span of one call instead of ending the process.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display), m_previous(XSetErrorHandler(NoteError))
    {
        g_errorSeen = false;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    ~ErrorTrap()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }

    // Waits for the server's answers so that their errors are seen.
    bool Failed()
    {
        XSync(m_display, False);
        return g_errorSeen;
    }

private:
    Display* m_display;
    XErrorHandler m_previous;
};

// A property's items; format 32 items arrive as longs.
struct Property {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned char* data = nullptr;

    Property() = default;
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;
    ~Property()
    {
        if (data != nullptr) {
            XFree(data);
        }
    }
};

bool ReadProperty(Display* display, Window window, Atom name, Atom type, Property& property)
{
    unsigned long bytesAfter = 0;
    return XGetWindowProperty(display, window, name, 0, kLongestProperty, False, type, &property.type, &property.format,
                              &property.count, &bytesAfter, &property.data) == Success &&
           property.data != nullptr && property.type != None;
}

}  // namespace

X11TopLevelWindows::X11TopLevelWindows(const char* displayName) : m_display(XOpenDisplay(displayName))
{
}

X11TopLevelWindows::~X11TopLevelWindows()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

unsigned long X11TopLevelWindows::InternAtom(const char* name)
{
    return XInternAtom(m_display, name, False);
}

WindowRef X11TopLevelWindows::GetTopWindow()
{
    m_snapshot = StackingTopFirst();
    return m_snapshot.empty() ? 0 : m_snapshot.front();
}

WindowRef X11TopLevelWindows::GetNextWindow(WindowRef window)
{
    const auto found = std::find(m_snapshot.begin(), m_snapshot.end(), window);
    if (found == m_snapshot.end() || found + 1 == m_snapshot.end()) {
        return 0;
    }
    return *(found + 1);
}

std::vector<unsigned long> X11TopLevelWindows::StackingTopFirst()
{
    if (m_display == nullptr) {
        return {};
    }
    ErrorTrap trap(m_display);
    std::vector<unsigned long> windows = ManagedStacking();
    if (windows.empty()) {
        windows = RootChildren();
    }
    std::reverse(windows.begin(), windows.end());
    return windows;
}

std::vector<unsigned long> X11TopLevelWindows::ManagedStacking()
{
    Property stacking;
    if (!ReadProperty(m_display, DefaultRootWindow(m_display), InternAtom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW,
                      stacking) ||
        stacking.format != 32) {
        return {};
    }
    const auto* items = reinterpret_cast<const unsigned long*>(stacking.data);
    return std::vector<unsigned long>(items, items + stacking.count);
}

std::vector<unsigned long> X11TopLevelWindows::RootChildren()
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    std::vector<unsigned long> windows;
    if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count) == 0) {
        return windows;
    }
    for (unsigned int i = 0; i < count; ++i) {
        windows.push_back(ClientWindowOf(children[i]));
    }
    if (children != nullptr) {
        XFree(children);
    }
    return windows;
}

// A window manager's frame holds the program's own window somewhere below
// it: the first descendant with WM_STATE, as XmuClientWindow finds it.
unsigned long X11TopLevelWindows::ClientWindowOf(unsigned long window)
{
    if (HasWmState(window, nullptr)) {
        return window;
    }
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    unsigned long client = 0;
    if (XQueryTree(m_display, window, &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && client == 0; ++i) {
            client = HasWmState(children[i], nullptr) ? children[i] : 0;
        }
        for (unsigned int i = 0; i < count && client == 0; ++i) {
            const unsigned long below = ClientWindowOf(children[i]);
            client = below != children[i] ? below : 0;
        }
        if (children != nullptr) {
            XFree(children);
        }
    }
    return client != 0 ? client : window;
}

bool X11TopLevelWindows::HasWmState(unsigned long window, long* state)
{
    const ::Atom wmState = InternAtom("WM_STATE");
    Property property;
    if (!ReadProperty(m_display, window, wmState, wmState, property) || property.format != 32 || property.count == 0) {
        return false;
    }
    if (state != nullptr) {
        *state = reinterpret_cast<const long*>(property.data)[0];
    }
    return true;
}

bool X11TopLevelWindows::IsWindow(WindowRef window)
{
    if (m_display == nullptr || window == 0) {
        return false;
    }
    ErrorTrap trap(m_display);
    XWindowAttributes attributes{};
    const bool present = XGetWindowAttributes(m_display, window, &attributes) != 0;
    return !trap.Failed() && present;
}

bool X11TopLevelWindows::IsWindowVisible(WindowRef window)
{
    if (m_display == nullptr || window == 0) {
        return false;
    }
    ErrorTrap trap(m_display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_display, window, &attributes) == 0 || trap.Failed()) {
        return false;
    }
    long state = 0;
    return attributes.map_state == IsViewable || (HasWmState(window, &state) && state == kIconicState);
}

int X11TopLevelWindows::GetWindowTextA(WindowRef window, char* buffer, int capacity)
{
    if (capacity <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    if (m_display == nullptr || window == 0) {
        return 0;
    }
    ErrorTrap trap(m_display);
    std::string title;
    Property name;
    if (ReadProperty(m_display, window, InternAtom("_NET_WM_NAME"), InternAtom("UTF8_STRING"), name) &&
        name.format == 8) {
        title.assign(reinterpret_cast<const char*>(name.data), name.count);
    } else {
        char* plain = nullptr;
        if (XFetchName(m_display, window, &plain) != 0 && plain != nullptr) {
            title = plain;
            XFree(plain);
        }
    }
    const std::size_t length = std::min(title.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(buffer, title.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

bool X11TopLevelWindows::PostMessageA(WindowRef window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_display == nullptr || window == 0) {
        return false;
    }
    ErrorTrap trap(m_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = InternAtom(kHandoffAtomName);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = static_cast<long>(wParam);
    event.xclient.data.l[2] = static_cast<long>(lParam);
    const Status sent = XSendEvent(m_display, window, False, NoEventMask, &event);
    return sent != 0 && !trap.Failed();
}

}  // namespace fwut::x11

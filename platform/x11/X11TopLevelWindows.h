// Other programs' top-level windows on an X display. The walk goes from the
// top of the stacking order down: the window manager's
// _NET_CLIENT_LIST_STACKING where there is one (it lists bottom to top),
// else the root's children from XQueryTree (also bottom to top), each taken
// down to its client window. A window counts as visible while it is viewable
// or iconified (a minimised Win32 window is still visible). Titles are
// _NET_WM_NAME in UTF-8, else WM_NAME. A posted message is a ClientMessage
// (HandoffAtom.h). Without a display (none set, Wayland only) no window is
// found.
#pragma once

#include <vector>

#include "platform/TopLevelWindows.h"

struct _XDisplay;

namespace fwut::x11 {

class X11TopLevelWindows final : public TopLevelWindows {
public:
    // displayName: nullptr for $DISPLAY.
    explicit X11TopLevelWindows(const char* displayName = nullptr);
    ~X11TopLevelWindows() override;
    X11TopLevelWindows(const X11TopLevelWindows&) = delete;
    X11TopLevelWindows& operator=(const X11TopLevelWindows&) = delete;

    // Takes a fresh look at the stacking order.
    WindowRef GetTopWindow() override;
    WindowRef GetNextWindow(WindowRef window) override;
    bool IsWindow(WindowRef window) override;
    bool IsWindowVisible(WindowRef window) override;
    int GetWindowTextA(WindowRef window, char* buffer, int capacity) override;
    bool PostMessageA(WindowRef window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<unsigned long> StackingTopFirst();
    std::vector<unsigned long> ManagedStacking();
    std::vector<unsigned long> RootChildren();
    unsigned long ClientWindowOf(unsigned long window);
    bool HasWmState(unsigned long window, long* state);
    unsigned long InternAtom(const char* name);

    _XDisplay* m_display = nullptr;
    std::vector<unsigned long> m_snapshot;
};

}  // namespace fwut::x11

// The walk over other programs' top-level windows, and the posted message
// that reaches one of them: how the update talks to the companion serial
// test program. A backend without any window system finds no window.
#pragma once

#include <cstdint>

#include "platform/Win32Types.h"

namespace fwut {

using WindowRef = std::uintptr_t;  // 0 = no window

class TopLevelWindows {
public:
    virtual ~TopLevelWindows() = default;

    // The topmost top-level window, then the next one below it.
    virtual WindowRef GetTopWindow() = 0;
    virtual WindowRef GetNextWindow(WindowRef window) = 0;
    virtual bool IsWindow(WindowRef window) = 0;
    virtual bool IsWindowVisible(WindowRef window) = 0;
    // Copies at most capacity - 1 characters of the title and a terminator;
    // returns the number of characters copied.
    virtual int GetWindowTextA(WindowRef window, char* buffer, int capacity) = 0;
    virtual bool PostMessageA(WindowRef window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// For systems where no other program's windows can be reached.
class NoTopLevelWindows final : public TopLevelWindows {
public:
    WindowRef GetTopWindow() override { return 0; }
    WindowRef GetNextWindow(WindowRef) override { return 0; }
    bool IsWindow(WindowRef) override { return false; }
    bool IsWindowVisible(WindowRef) override { return false; }
    int GetWindowTextA(WindowRef, char* buffer, int capacity) override
    {
        if (capacity > 0) {
            buffer[0] = '\0';
        }
        return 0;
    }
    bool PostMessageA(WindowRef, UINT, WPARAM, LPARAM) override { return false; }
};

}  // namespace fwut

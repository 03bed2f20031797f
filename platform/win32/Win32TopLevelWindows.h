// Other programs' top-level windows, walked in Z order with user32.
#pragma once

#include "platform/TopLevelWindows.h"

namespace fwut {

class Win32TopLevelWindows final : public TopLevelWindows {
public:
    WindowRef GetTopWindow() override;
    WindowRef GetNextWindow(WindowRef window) override;
    bool IsWindow(WindowRef window) override;
    bool IsWindowVisible(WindowRef window) override;
    int GetWindowTextA(WindowRef window, char* buffer, int capacity) override;
    bool PostMessageA(WindowRef window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace fwut

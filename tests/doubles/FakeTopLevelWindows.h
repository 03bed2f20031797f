// Other programs' windows for tests: titles, visibility, and the messages
// posted to each.
#pragma once

#include <string>
#include <vector>

#include "platform/TopLevelWindows.h"

namespace fwut {

class FakeTopLevelWindows final : public TopLevelWindows {
public:
    struct Posted {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Window {
        std::string title;
        bool visible = true;
        std::vector<Posted> posted;
    };

    // Adds a window below the existing ones; returns its index.
    std::size_t Add(const std::string& title, bool visible = true)
    {
        m_windows.push_back(Window{title, visible, {}});
        return m_windows.size() - 1;
    }
    Window& At(std::size_t index) { return m_windows[index]; }

    WindowRef GetTopWindow() override { return m_windows.empty() ? 0 : 1; }
    WindowRef GetNextWindow(WindowRef window) override { return window < m_windows.size() ? window + 1 : 0; }
    bool IsWindow(WindowRef window) override { return window >= 1 && window <= m_windows.size(); }
    bool IsWindowVisible(WindowRef window) override { return m_windows[window - 1].visible; }
    int GetWindowTextA(WindowRef window, char* buffer, int capacity) override
    {
        if (capacity <= 0) {
            return 0;
        }
        const std::string& title = m_windows[window - 1].title;
        const int length = static_cast<int>(title.copy(buffer, static_cast<std::size_t>(capacity - 1)));
        buffer[length] = '\0';
        return length;
    }
    bool PostMessageA(WindowRef window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        m_windows[window - 1].posted.push_back(Posted{message, wParam, lParam});
        return true;
    }

private:
    std::vector<Window> m_windows;
};

}  // namespace fwut

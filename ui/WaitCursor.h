#pragma once

#include "ui/DialogWindow.h"

namespace fwut {

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(WindowFrame& window) : m_window(window) { m_window.BeginWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { m_window.EndWaitCursor(); }

private:
    WindowFrame& m_window;
};

}  // namespace fwut

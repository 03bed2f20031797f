// The port buttons' tool tips in the Win32 dialog: one tool tip control for
// the dialog, one tool per button, its text changed with the button's port.
#pragma once

#include <string>

#include "platform/Win32Types.h"

namespace fwut {

class PortToolTips {
public:
    PortToolTips() = default;
    PortToolTips(const PortToolTips&) = delete;
    PortToolTips& operator=(const PortToolTips&) = delete;
    ~PortToolTips();

    // Sets the tip of the dialog's control id; an empty text removes it.
    void Set(HWND dialog, int id, const std::string& text);

private:
    HWND m_toolTip = nullptr;
};

}  // namespace fwut

#include "app/win32/PortToolTips.h"

#include <commctrl.h>

namespace fwut {

namespace {

// Wide enough for a device path and a description on lines of their own.
constexpr int kMaxTipWidth = 480;

}  // namespace

PortToolTips::~PortToolTips()
{
    if (m_toolTip != nullptr) {
        ::DestroyWindow(m_toolTip);
    }
}

void PortToolTips::Set(HWND dialog, int id, const std::string& text)
{
    if (m_toolTip == nullptr) {
        // No prefix handling: a '&' in a device's name is shown as it is.
        m_toolTip =
            ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, nullptr, nullptr);
        if (m_toolTip == nullptr) {
            return;
        }
        // A maximum width makes the control break lines at "\n".
        ::SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    }
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(dialog, id));
    ::SendMessageA(m_toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty()) {
        tool.lpszText = const_cast<char*>(text.c_str());
        ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

}  // namespace fwut

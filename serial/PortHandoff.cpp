// Borrowing a port from the companion serial test program (LineProbeTool)
// and giving it back, and the end of the port's use after an update.
#include <string_view>

#include "resources/resource.h"
#include "platform/AsciiCase.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut {

namespace {

constexpr std::string_view kCompanionTitlePrefixes[] = {
    "Fernhollow LineProbeTool",
    "Fernhollow Serial Test Program",
};
constexpr int kTitleCapacity = 100;
constexpr DWORD kReleaseWaitMs = 1000;

bool IsCompanionTitle(std::string_view title)
{
    for (std::string_view prefix : kCompanionTitlePrefixes) {
        if (StartsWithIgnoringCase(title, prefix)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CFWUT_UpdateDlg::PostToCompanionWindows(WPARAM code, LPARAM portNumber)
{
    TopLevelWindows& windows = m_env.topLevelWindows;
    bool found = false;
    for (WindowRef window = windows.GetTopWindow(); windows.IsWindow(window); window = windows.GetNextWindow(window)) {
        if (!windows.IsWindowVisible(window)) {
            continue;
        }
        char title[kTitleCapacity];
        const int length = windows.GetWindowTextA(window, title, kTitleCapacity);
        if (length <= 0) {
            continue;
        }
        if (IsCompanionTitle(std::string_view(title, static_cast<std::size_t>(length)))) {
            windows.PostMessageA(window, WM_SERIALPORT_HANDOFF, code, portNumber);
            found = true;
        }
    }
    return found;
}

void CFWUT_UpdateDlg::RequestPortRelease(int portNumber)
{
    if (PostToCompanionWindows(HANDOFF_RELEASE_PORT, portNumber)) {
        m_handedOffPort = portNumber;
    }
    if (m_handedOffPort != -1) {
        // Gives the companion program time to close the port.
        m_env.clock.Sleep(kReleaseWaitMs);
    }
}

void CFWUT_UpdateDlg::ReturnPortToCompanion()
{
    if (m_handedOffPort == -1) {
        return;
    }
    PostToCompanionWindows(HANDOFF_RETURN_PORT, m_handedOffPort);
    m_handedOffPort = -1;
}

void CFWUT_UpdateDlg::CloseSerialLink()
{
    SendClosingCommand();
    SetText(IDC_STATUS, "");
    EnableInstalledPortButtons();
    ReturnPortToCompanion();
}

}  // namespace fwut

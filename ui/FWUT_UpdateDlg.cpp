#include "ui/FWUT_UpdateDlg.h"

#include "resources/resource.h"
#include "serial/Delay.h"
#include "ui/DialogTexts.h"

namespace fwut {

namespace {

constexpr MessageResult Handled(LRESULT value = 0)
{
    return MessageResult{true, value};
}

constexpr MessageResult NotHandled()
{
    return MessageResult{false, 0};
}

}  // namespace

std::string DoubleMenuAmpersands(const std::string& text)
{
    std::string result;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(" & ", start)) != std::string::npos; start = found + 3) {
        result.append(text, start, found - start);
        result += " && ";
    }
    result.append(text, start, std::string::npos);
    return result;
}

// In the order the dialog has always listed its messages.
const CFWUT_UpdateDlg::MessageEntry CFWUT_UpdateDlg::kMessageMap[] = {
    {WM_INITDIALOG, 0, &CFWUT_UpdateDlg::OnInitDialog},
    {WM_SYSCOMMAND, 0, &CFWUT_UpdateDlg::OnSysCommand},
    {WM_PAINT, 0, &CFWUT_UpdateDlg::OnPaint},
    {WM_QUERYDRAGICON, 0, &CFWUT_UpdateDlg::OnQueryDragIcon},
    {WM_COMMAND, IDOK, &CFWUT_UpdateDlg::OnOK},
    {WM_COMMAND, IDCANCEL, &CFWUT_UpdateDlg::OnDone},
    {WM_COMMAND, IDC_BEGIN_UPDATE, &CFWUT_UpdateDlg::OnBeginUpdateCommand},
    {WM_TIMER, 0, &CFWUT_UpdateDlg::OnTimer},
    {WM_DESTROY, 0, &CFWUT_UpdateDlg::OnDestroy},
    {WM_MODULE_ANSWERED, 0, &CFWUT_UpdateDlg::OnModuleAnswered},
    {WM_REPEAT_BEGIN_UPDATE, 0, &CFWUT_UpdateDlg::OnRepeatBeginUpdate},
    {WM_CTLCOLORSTATIC, 0, &CFWUT_UpdateDlg::OnCtlColor},
    {WM_COMMAND, IDC_REFRESH_PORTS, &CFWUT_UpdateDlg::OnRefreshSerialPorts},
    {WM_COMMAND, IDC_CONTACT_INFORMATION, &CFWUT_UpdateDlg::OnContactInformation},
};

CFWUT_UpdateDlg::CFWUT_UpdateDlg(DialogWindow& window, UpdateEnvironment environment)
    : m_window(window), m_env(environment), m_serialPort(m_env.serial, m_env.clock)
{
    for (int& slot : m_portSlots) {
        slot = -1;
    }
    m_hIcon = m_window.Frame().LoadProgramIcon();
    m_handedOffPort = -1;
    m_timerId = 0;
}

MessageResult CFWUT_UpdateDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER || message == WM_COMMAND) {
        // A posted private message is always handled before the next timer
        // tick or click, whatever order the toolkit delivers them in.
        DeliverPostedMessages();
    }
    const int commandId = message == WM_COMMAND ? static_cast<int>(wParam & 0xFFFF) : 0;
    for (const MessageEntry& entry : kMessageMap) {
        if (entry.message == message && entry.commandId == commandId) {
            return (this->*entry.handler)(wParam, lParam);
        }
    }
    return NotHandled();
}

void CFWUT_UpdateDlg::PostPrivateMessage(UINT message)
{
    m_postedMessages.push_back(message);
    m_window.WakeForPostedMessage();
}

void CFWUT_UpdateDlg::DeliverPostedMessages()
{
    while (!m_postedMessages.empty()) {
        const UINT message = m_postedMessages.front();
        m_postedMessages.pop_front();
        HandleMessage(message, 0, 0);
    }
}

std::string CFWUT_UpdateDlg::TempImagePath() const
{
    return m_tempDir + std::string(kTempImageName);
}

void CFWUT_UpdateDlg::SetText(int id, const std::string& text)
{
    m_window.SetDlgItemTextA(id, text);
}

void CFWUT_UpdateDlg::Enable(int id, bool enable)
{
    m_window.EnableDlgItem(id, enable);
}

// Everything that would close the dialog or take the operator elsewhere
// waits while an update is under way.
void CFWUT_UpdateDlg::EnableIdleControls(bool enable)
{
    Enable(IDCANCEL, enable);
    Enable(IDC_REFRESH_PORTS, enable);
    Enable(IDC_CONTACT_INFORMATION, enable);
    if (SystemMenu* menu = m_window.Menu()) {
        menu->EnableSystemMenuItem(SC_CLOSE, enable);
        menu->EnableSystemMenuItem(IDM_ABOUTBOX, enable);
    }
}

// A pause is never cut short, not even by a request to stop: whatever still
// goes out after it (the closing "<W") keeps the pause the relay and the boot
// loader expect before it. The steps look at the request between their pauses,
// none of which is longer than a second.
void CFWUT_UpdateDlg::Delay(DWORD ms)
{
    fwut::Delay(m_env.clock, ms);
}

void CFWUT_UpdateDlg::Tell(const UpdateEvent& event)
{
    if (m_env.events != nullptr) {
        m_env.events->OnUpdateEvent(event);
    }
}

void CFWUT_UpdateDlg::TellFinished()
{
    Tell(
        events::Finished{m_lastOutcome, m_pagesAccepted, m_rejections, m_env.clock.GetTickCount() - m_updateStartTick});
}

MessageResult CFWUT_UpdateDlg::OnInitDialog(WPARAM, LPARAM)
{
    WindowFrame& frame = m_window.Frame();
    frame.SetWindowTextA(kWindowTitle);
    if (SystemMenu* menu = m_window.Menu()) {
        menu->AppendSystemMenuSeparator();
        menu->AppendSystemMenuItem(IDM_ABOUTBOX, DoubleMenuAmpersands(kAboutMenuText));
    }
    frame.SetLargeIcon(m_hIcon);
    frame.PlaceWindow();
    frame.CreateBoldFont();
    SetText(IDC_INSTRUCTIONS, kInstructions);
    ReadFirmwareDescription();
    SetText(IDC_USE_WITH, kUseWithLine);
    SetText(IDC_BOOTLOADER_VERSION, "");
    SetText(IDC_PROGRESS, "");
    SetText(IDC_STATUS, "");
    SetText(IDC_STEP, "");
    RefreshSerialPorts();
    m_waitingForModule = 0;
    m_moduleAnswered = 0;
    m_timerId = m_window.SetTimer(kWaitTimerId, kWaitTimerPeriodMs);
    return Handled(TRUE);
}

MessageResult CFWUT_UpdateDlg::OnSysCommand(WPARAM command, LPARAM)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        m_window.Frame().ShowAboutDialog();
        return Handled();
    }
    return NotHandled();
}

MessageResult CFWUT_UpdateDlg::OnPaint(WPARAM, LPARAM)
{
    if (!m_window.Frame().IsIconic()) {
        return NotHandled();
    }
    m_window.Frame().DrawIconCentred(m_hIcon);
    return Handled();
}

MessageResult CFWUT_UpdateDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return Handled(reinterpret_cast<LRESULT>(m_hIcon));
}

MessageResult CFWUT_UpdateDlg::OnOK(WPARAM, LPARAM)
{
    // The Enter key never closes the dialog.
    return Handled();
}

MessageResult CFWUT_UpdateDlg::OnDone(WPARAM, LPARAM)
{
    m_serialPort.Close();
    ReturnPortToCompanion();
    m_window.EndDialog(IDCANCEL);
    return Handled();
}

MessageResult CFWUT_UpdateDlg::OnBeginUpdateCommand(WPARAM, LPARAM)
{
    OnBeginUpdate();
    return Handled();
}

MessageResult CFWUT_UpdateDlg::OnTimer(WPARAM, LPARAM)
{
    WaitTimerTick();
    return NotHandled();
}

MessageResult CFWUT_UpdateDlg::OnDestroy(WPARAM, LPARAM)
{
    // Queued messages die with the window: a pending cancel must not send "<W".
    m_postedMessages.clear();
    if (m_timerId != 0) {
        m_window.KillTimer(kWaitTimerId);
        m_timerId = 0;
    }
    m_serialPort.Close();
    return NotHandled();
}

MessageResult CFWUT_UpdateDlg::OnModuleAnswered(WPARAM, LPARAM)
{
    m_waitingForModule = 0;
    m_moduleAnswered = 0;
    Enable(IDC_BEGIN_UPDATE, false);
    RunTransfer();
    SetText(IDC_BEGIN_UPDATE, kBeginUpdate);
    Enable(IDC_BEGIN_UPDATE, true);
    EnableIdleControls(true);
    return Handled(1);
}

MessageResult CFWUT_UpdateDlg::OnRepeatBeginUpdate(WPARAM, LPARAM)
{
    OnBeginUpdate();
    return Handled(1);
}

MessageResult CFWUT_UpdateDlg::OnCtlColor(WPARAM controlId, LPARAM answer)
{
    auto& colors = *reinterpret_cast<ControlColors*>(answer);
    colors = ControlColors{};
    switch (controlId) {
    case IDC_USE_WITH:
        colors = ControlColors{true, true, kDarkRed, true};
        break;
    case IDC_STEP:
        colors = ControlColors{true, true, m_stepColor, true};
        break;
    case IDC_STATUS:
        if (m_waitingForModule == 1) {
            colors = ControlColors{true, true, kDarkRed, true};
        }
        break;
    default:
        break;
    }
    return Handled();
}

MessageResult CFWUT_UpdateDlg::OnRefreshSerialPorts(WPARAM, LPARAM)
{
    RefreshSerialPorts();
    return Handled();
}

MessageResult CFWUT_UpdateDlg::OnContactInformation(WPARAM, LPARAM)
{
    m_window.Frame().ShowAboutDialog();
    return Handled();
}

}  // namespace fwut

// From the press of "Begin Update" to the module's ready byte, and back on
// "Cancel Update".
#include "resources/resource.h"
#include "ui/DialogTexts.h"
#include "ui/FWUT_UpdateDlg.h"
#include "ui/WaitCursor.h"

namespace fwut {

namespace {
constexpr DWORD kPromptShownMs = 1500;
constexpr DWORD kPromptHiddenMs = 250;
}  // namespace

void CFWUT_UpdateDlg::OnBeginUpdate()
{
    SetText(IDC_STEP, "");
    m_stepColor = kGreen;
    StartOrCancelUpdate();
}

void CFWUT_UpdateDlg::StartOrCancelUpdate()
{
    WaitCursor wait(m_window.Frame());
    if (m_waitingForModule == 1) {
        CancelUpdate();
    } else {
        StartUpdate();
    }
}

void CFWUT_UpdateDlg::StartUpdate()
{
    m_lastOutcome = UpdateOutcome::None;
    m_interruptRequested = 0;
    m_updateStartTick = m_env.clock.GetTickCount();
    m_pollsSent = 0;
    m_pagesAccepted = 0;
    m_rejections = 0;
    const int port = SelectedPort();
    Tell(events::UpdateBegan{port, m_firmwareFileName, m_firmwareVersion, {}});
    if (!m_serialPort.Open(port, 57600, 'N', 8, 1)) {
        RequestPortRelease(port);
        if (!m_serialPort.Open(port, 57600, 'N', 8, 1)) {
            SetText(IDC_STATUS, "");
            m_lastOutcome = UpdateOutcome::PortNotOpened;
            m_window.MessageBoxA(kUnableToOpenPort + std::to_string(port) + "     ", std::string(kUpdateErrorCaption),
                                 MB_OK | MB_ICONEXCLAMATION);
            ReturnPortToCompanion();
            TellFinished();
            return;
        }
    }
    Tell(events::PortOpened{port});

    SendRateCommands();
    if (Interrupted()) {
        CancelUpdate();
        return;
    }
    // The boot loader's page is always 256 bytes; it is set afresh at every start all the same.
    m_pageSize = 256;
    if (!VerifyFirmwareFile()) {
        // The port stays open on purpose: "Done" closes it, and a refresh allows a new start.
        m_lastOutcome = UpdateOutcome::FirmwareFileProblem;
        TellFinished();
        return;
    }
    SetText(IDC_BOOTLOADER_VERSION, "");
    SetText(IDC_PROGRESS, "");
    SetText(IDC_STATUS, "");
    SendConfigurationCommands();
    if (Interrupted()) {
        CancelUpdate();
        return;
    }
    Tell(events::RelayPrepared{});

    SetText(IDC_BEGIN_UPDATE, kCancelUpdate);
    for (int i = 0; i < kPortSlotCount; ++i) {
        if (m_portSlots[i] != port && m_portSlots[i] != -1) {
            Enable(IDC_COM1 + i, false);
        }
    }
    EnableIdleControls(false);

    const bool converted = ConvertHexFile();
    if (!converted) {
        // Handled before the next timer tick, so no wake-up poll goes out.
        PostPrivateMessage(WM_REPEAT_BEGIN_UPDATE);
    }
    // Armed only now: the message boxes above run their own message loops, in
    // which timer ticks must find the wait not yet begun.
    m_blinkTick = m_env.clock.GetTickCount();
    m_promptShown = 1;
    m_waitingForModule = 1;
    SetText(IDC_STEP, "");
    if (converted) {
        Tell(events::WaitBegan{});
    }
}

void CFWUT_UpdateDlg::CancelUpdate()
{
    m_waitingForModule = 0;
    m_moduleAnswered = 0;
    SendClosingCommand();
    SetText(IDC_BEGIN_UPDATE, kBeginUpdate);
    SetText(IDC_STATUS, "");
    EnableInstalledPortButtons();
    ReturnPortToCompanion();
    EnableIdleControls(true);
    DeleteTempImage();
    if (m_lastOutcome == UpdateOutcome::None) {
        m_lastOutcome = UpdateOutcome::Cancelled;
        Tell(events::Cancelled{});
    }
    TellFinished();
}

void CFWUT_UpdateDlg::NoteLineLost()
{
    if (m_waitingForModule == 1 && m_lastOutcome == UpdateOutcome::None) {
        m_lastOutcome = UpdateOutcome::LineLost;
        Tell(events::LineLost{});
    }
}

void CFWUT_UpdateDlg::WaitTimerTick()
{
    if (m_waitingForModule == 0 || m_moduleAnswered == 1) {
        return;
    }
    const DWORD now = m_env.clock.GetTickCount();
    if (m_promptShown == 1 && now - m_blinkTick > kPromptShownMs) {
        m_promptShown = 0;
        SetText(IDC_STATUS, "");
        m_blinkTick = now;
    } else if (m_promptShown == 0 && now - m_blinkTick > kPromptHiddenMs) {
        m_promptShown = 1;
        SetText(IDC_STATUS, m_waitPrompt);
        m_blinkTick = now;
    }
    ScanForReadyByte();
    if (!m_serialPort.IsLineLost()) {
        SendWakeUpPoll();
    }
    if (m_moduleAnswered == 0 && m_serialPort.IsLineLost()) {
        // An adapter unplugged in the wait: no answer can come, so the wait
        // ends as "Cancel Update" ends it, with the closing steps the line allows.
        NoteLineLost();
        CancelUpdate();
        SetText(IDC_STATUS, kSerialLineGone);
    }
}

}  // namespace fwut

// How every transfer ends: the port closed and handed back, the final status
// line, and the outcome in a message box.
#include "resources/resource.h"
#include "ui/FWUT_UpdateDlg.h"
#include "update/TransferTexts.h"

namespace fwut {

void CFWUT_UpdateDlg::CompleteUpdate()
{
    m_env.settings.WriteProfileInt("Settings", "ComPort", m_serialPort.GetPortNumber());
    CloseSerialLink();
    SetText(IDC_STATUS, kUpdateSucceededStatus);
    m_lastOutcome = UpdateOutcome::Succeeded;
    m_window.MessageBoxA(kUpdateSucceededMessage, kCaptionUpdateComplete,
                         MB_OK | MB_ICONINFORMATION);
}

void CFWUT_UpdateDlg::ReportTransferFailure(TransferFailure kind)
{
    CloseSerialLink();
    const std::string* head = nullptr;
    switch (kind) {
    case TransferFailure::TemporaryFile:
        m_lastOutcome = UpdateOutcome::TemporaryFile;
        m_window.MessageBoxA(kCannotOpenTempImage, std::string(kUpdateErrorCaption), MB_OK);
        return;
    case TransferFailure::NoResponse:
        m_lastOutcome = UpdateOutcome::NoResponse;
        head = &kNoResponseHead;
        break;
    case TransferFailure::InvalidVersionResponse:
        m_lastOutcome = UpdateOutcome::InvalidVersionResponse;
        head = &kInvalidVersionHead;
        break;
    case TransferFailure::NoReadyResponse:
        m_lastOutcome = UpdateOutcome::NoReadyResponse;
        head = &kNoReadyHead;
        break;
    case TransferFailure::InvalidReadyResponse:
        m_lastOutcome = UpdateOutcome::InvalidReadyResponse;
        head = &kInvalidReadyHead;
        break;
    case TransferFailure::Interrupted:
        m_lastOutcome = UpdateOutcome::Interrupted;
        head = &kInterruptedHead;
        break;
    }
    SetText(IDC_STATUS, kUpdateFailedStatus);
    m_window.MessageBoxA(*head + kFailureTail, std::string(kUpdateErrorCaption), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fwut

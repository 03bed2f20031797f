// How every transfer ends: the port closed and handed back, the final status
// line, and the outcome in a message box.
#include "resources/resource.h"
#include "ui/FWUT_UpdateDlg.h"
#include "update/TransferTexts.h"

namespace fwut {

void CFWUT_UpdateDlg::CompleteUpdate()
{
    m_env.settings.WriteProfileInt(settings::kSection, settings::kComPort, m_serialPort.GetPortNumber());
    CloseSerialLink();
    SetText(IDC_STATUS, kUpdateSucceededStatus);
    m_lastOutcome = UpdateOutcome::Succeeded;
    TellFinished();
    m_window.MessageBoxA(kUpdateSucceededMessage, kCaptionUpdateComplete, MB_OK | MB_ICONINFORMATION);
}

void CFWUT_UpdateDlg::ReportTransferFailure(UpdateOutcome kind)
{
    CloseSerialLink();
    m_lastOutcome = kind;
    TellFinished();
    if (kind == UpdateOutcome::TemporaryFile) {
        m_window.MessageBoxA(kCannotOpenTempImage, std::string(kUpdateErrorCaption), MB_OK);
        return;
    }
    const std::string* head = FactsOf(kind).messageHead;
    SetText(IDC_STATUS, kUpdateFailedStatus);
    m_window.MessageBoxA((head != nullptr ? *head : kInterruptedHead) + kFailureTail, std::string(kUpdateErrorCaption),
                         MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fwut

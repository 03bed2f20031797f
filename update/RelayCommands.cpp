// The byte sequences that prepare the relay, wake the module and close the
// link. None is acknowledged: only the module's ready byte is ever read.
#include <cstdint>

#include "serial/Delay.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut {

namespace {
constexpr const char* kRateCommand = "\x1B$:U9";
constexpr const char* kFirstConfiguration = "<#:M<#:P";
constexpr const char* kSecondConfiguration = "<RS<#:C14";
constexpr const char* kClosingCommand = "<W";
constexpr std::uint8_t kWakeUpByte = 0xC0;
constexpr std::uint8_t kReadyByte = 0xD0;
}  // namespace

void CFWUT_UpdateDlg::SendRateCommands()
{
    m_serialPort.WriteString(kRateCommand);
    Delay(30);
    m_serialPort.SetLineSettings(19200, 'N', '8');
    m_serialPort.WriteString(kRateCommand);
    Delay(30);
    m_serialPort.SetLineSettings(57600, 'N', '8');
    Delay(30);
}

void CFWUT_UpdateDlg::SendConfigurationCommands()
{
    m_serialPort.WriteString(kFirstConfiguration);
    // One pause of a second for the relay, so that a stop within it still
    // leaves the relay its whole second before the closing command. The
    // clearing wait comes before the stop is looked at: a pause counted in
    // whole ticks may end part of a tick early, and the 10 ms keep even the
    // closing command clear of the second.
    Delay(1000);
    m_serialPort.ClearAndWait(10);
    if (Interrupted()) {
        return;
    }
    m_serialPort.WriteString(kSecondConfiguration);
    Delay(100);
    m_serialPort.ClearAndWait(10);
    Delay(200);
}

void CFWUT_UpdateDlg::ScanForReadyByte()
{
    while (m_serialPort.GetInputCount() > 0) {
        std::uint8_t byte = 0;
        if (m_serialPort.Read(&byte, 1) != 1) {
            return;
        }
        if (byte == kReadyByte) {
            // Whatever follows the ready byte stays queued for the transfer.
            m_moduleAnswered = 1;
            Tell(events::ModuleAnswered{});
            PostPrivateMessage(WM_MODULE_ANSWERED);
            return;
        }
    }
}

void CFWUT_UpdateDlg::SendWakeUpPoll()
{
    m_serialPort.SendPacket(&kWakeUpByte, 1);
    // A poll the line did not take is none.
    if (!m_serialPort.IsLineLost()) {
        Tell(events::Poll{++m_pollsSent});
    }
}

void CFWUT_UpdateDlg::SendClosingCommand()
{
    m_serialPort.WriteString(kClosingCommand);
    fwut::Delay(m_env.clock, 200);
    m_serialPort.Close();
}

}  // namespace fwut

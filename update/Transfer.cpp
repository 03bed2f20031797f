// The boot-loader transfer: version query, ready wait, every page with its
// number and checksum (resent when rejected), and the end marker.
#include <cstdint>
#include <cstdio>

#include "platform/Files.h"
#include "resources/resource.h"
#include "ui/FWUT_UpdateDlg.h"
#include "ui/WaitCursor.h"
#include "update/TransferTexts.h"

namespace fwut {

namespace {

constexpr DWORD kVersionLimitMs = 3000;
constexpr DWORD kReadyLimitMs = 2000;
constexpr DWORD kPageAnswerLimitMs = 3000;
constexpr DWORD kPagePauseMs = 20;
constexpr int kMaxTransmissions = 5;
constexpr std::uint8_t kAccepted = '!';
constexpr std::uint8_t kRejected = '@';
constexpr std::uint8_t kEndMarker[2] = {0xFF, 0xFF};

std::uint8_t PageChecksum(const std::uint8_t* page, int size)
{
    unsigned sum = 0;
    for (int i = 0; i < size; ++i) {
        sum += page[i];
    }
    return static_cast<std::uint8_t>(sum);
}

bool IsAcceptedVersion(const std::string& response)
{
    for (const char* accepted : kAcceptedVersions) {
        if (response == accepted) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CFWUT_UpdateDlg::RunTransfer()
{
    TransferFirmware();
    DeleteTempImage();
}

void CFWUT_UpdateDlg::TransferFirmware()
{
    WaitCursor wait(m_window.Frame());
    const UpdateOutcome fileProblem = !VerifyFirmwareFile()                ? UpdateOutcome::FirmwareFileProblem
                                      : !HexFileUnchangedSinceConversion() ? UpdateOutcome::FirmwareFileChanged
                                                                           : UpdateOutcome::None;
    if (fileProblem != UpdateOutcome::None) {
        // The port would otherwise stay open with its buttons disabled.
        m_lastOutcome = fileProblem;
        CloseSerialLink();
        TellFinished();
        return;
    }
    SetText(IDC_BOOTLOADER_VERSION, "");
    SetText(IDC_PROGRESS, "");
    SetText(IDC_STATUS, "");
    Delay(100);
    m_serialPort.PurgeInput();

    UpdateOutcome failure = UpdateOutcome::NoResponse;
    if (ReceiveVersionResponse(failure) && ReceiveReadyResponse(failure) && SendPages(failure)) {
        CompleteUpdate();
    } else {
        ReportTransferFailure(failure);
    }
}

bool CFWUT_UpdateDlg::ReceiveByte(const ByteWait& wait, std::uint8_t& byte, UpdateOutcome& failure)
{
    // Measured from start: arriving bytes never restart a time limit.
    for (;;) {
        if (m_env.clock.GetTickCount() - wait.start >= wait.limitMs) {
            failure = wait.onTimeout;
            return false;
        }
        if (Interrupted() && !wait.takeWaitingAfterStop) {
            failure = UpdateOutcome::Interrupted;
            return false;
        }
        if (m_serialPort.GetInputCount() > 0) {
            if (m_serialPort.Read(&byte, 1) != 1) {
                failure = wait.onReadError;
                return false;
            }
            return true;
        }
        if (Interrupted()) {
            failure = UpdateOutcome::Interrupted;
            return false;
        }
        m_env.clock.IdleBriefly();
    }
}

bool CFWUT_UpdateDlg::ReceiveVersionResponse(UpdateOutcome& failure)
{
    if (Interrupted()) {
        failure = UpdateOutcome::Interrupted;
        return false;
    }
    m_serialPort.SendPacketString(kBootLoaderRequest);
    Delay(10);
    const DWORD start = m_env.clock.GetTickCount();
    std::string response;
    std::size_t received = 0;
    std::uint8_t byte = 0;
    const ByteWait wait{start, kVersionLimitMs, UpdateOutcome::NoResponse, UpdateOutcome::InvalidVersionResponse};
    while (ReceiveByte(wait, byte, failure)) {
        if (byte == '\r') {
            Tell(events::BootLoaderVersion{response});
            if (received == kVersionLength && IsAcceptedVersion(response)) {
                SetText(IDC_BOOTLOADER_VERSION, "Boot loader version  =  " + response);
                return true;
            }
            failure = UpdateOutcome::InvalidVersionResponse;
            return false;
        }
        // Characters beyond the eleventh are counted, so the response fails at its CR.
        if (received < kVersionLength) {
            response += static_cast<char>(byte);
        }
        ++received;
    }
    return false;
}

bool CFWUT_UpdateDlg::ReceiveReadyResponse(UpdateOutcome& failure)
{
    SetText(IDC_STEP, "");
    std::uint8_t byte = 0;
    const ByteWait wait{m_env.clock.GetTickCount(), kReadyLimitMs, UpdateOutcome::NoReadyResponse,
                        UpdateOutcome::InvalidReadyResponse};
    if (!ReceiveByte(wait, byte, failure)) {
        return false;
    }
    if (byte != kAccepted) {
        failure = UpdateOutcome::InvalidReadyResponse;
        return false;
    }
    return true;
}

// A page once begun goes out whole, even after a request to stop, so that the
// boot loader never sees a torn page before the closing command.
void CFWUT_UpdateDlg::TransmitPage(int pageIndex, const std::uint8_t (&page)[256])
{
    // The answer to this page is only what arrives after it was sent: a byte
    // the line repeated or left over must not stand for it.
    m_serialPort.PurgeInput();
    const std::uint8_t header[2] = {static_cast<std::uint8_t>(pageIndex >> 8),
                                    static_cast<std::uint8_t>(pageIndex & 0xFF)};
    m_serialPort.SendPacket(header, sizeof header);
    Delay(kPagePauseMs);
    m_serialPort.SendPacket(page, sizeof page);
    Delay(kPagePauseMs);
    const std::uint8_t checksum = PageChecksum(page, sizeof page);
    m_serialPort.SendPacket(&checksum, 1);
    Delay(kPagePauseMs);
}

bool CFWUT_UpdateDlg::SendPages(UpdateOutcome& failure)
{
    files::BinaryFile& image = m_tempImage;
    const std::uint64_t length = image.IsOpen() ? image.Length().value_or(0) : 0;
    const std::uint64_t pageSize = static_cast<std::uint64_t>(m_pageSize);
    // An image without a whole page cannot be sent; treat it as unreadable.
    if (length < pageSize) {
        failure = UpdateOutcome::TemporaryFile;
        return false;
    }
    const int pageCount = static_cast<int>(length / pageSize);

    std::uint8_t page[256];
    int pageIndex = 0;
    int rejections = 0;
    while (pageIndex < pageCount) {
        // A stop takes effect between pages: the page under way went out whole.
        if (Interrupted()) {
            failure = UpdateOutcome::Interrupted;
            return false;
        }
        if (rejections == 0) {
            SetText(IDC_PROGRESS, ProgressText(pageIndex + 1, pageCount));
            if (pageIndex % 4 == 0) {
                m_window.Frame().RedrawDialog();
            }
            m_window.Frame().DispatchOnePendingMessage();
            if (!image.Seek(static_cast<std::uint64_t>(pageIndex) * pageSize) ||
                image.Read(page, sizeof page) != sizeof page) {
                failure = UpdateOutcome::TemporaryFile;
                return false;
            }
        }

        Tell(events::PageSent{pageIndex, pageCount, rejections + 1});
        TransmitPage(pageIndex, page);

        // A read that delivers nothing counts as the byte 0x00: an invalid
        // answer. An answer already there when a stop comes is taken, so that
        // a page the module accepted is counted as accepted.
        std::uint8_t answer = 0;
        const ByteWait wait{m_env.clock.GetTickCount(), kPageAnswerLimitMs, UpdateOutcome::NoResponse,
                            UpdateOutcome::PageNotAccepted, true};
        if (!ReceiveByte(wait, answer, failure)) {
            const bool readFailed = failure == UpdateOutcome::PageNotAccepted;
            Tell(events::PageAnswered{pageIndex, readFailed, 0});
            return false;
        }

        Tell(events::PageAnswered{pageIndex, true, answer});
        if (answer == kRejected) {
            ++m_rejections;
        }
        if (answer == kAccepted) {
            rejections = 0;
            ++pageIndex;
            ++m_pagesAccepted;
        } else if (answer == kRejected && ++rejections < kMaxTransmissions) {
            continue;  // the same page again, from the buffer
        } else {
            failure = UpdateOutcome::PageNotAccepted;
            return false;
        }
    }

    m_serialPort.SendPacket(kEndMarker, sizeof kEndMarker);
    Delay(kPagePauseMs);
    // No answer is awaited; an end marker the line did not take (an adapter
    // unplugged, a line that stopped) leaves the module without its end, and
    // the update is no success.
    if (m_serialPort.IsLineLost()) {
        failure = UpdateOutcome::NoResponse;
        return false;
    }
    return true;
}

}  // namespace fwut

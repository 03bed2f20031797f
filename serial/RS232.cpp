#include "serial/RS232.h"

#include <cstdio>
#include <cstring>

#include "serial/Delay.h"
#include "serial/RelayFrame.h"

namespace fwut {

namespace {

constexpr DWORD kQueueSize = 32768;
// A write is at most one relay frame (108 bytes, 19 ms at 57600 baud). A line
// that takes nothing for this long has stopped (a hung adapter driver), and
// the write fails as if the adapter were unplugged.
constexpr DWORD kWriteStallLimitMs = 5000;
// An adapter's driver slow to let its port go after a close.
constexpr DWORD kSlowReleaseWindowMs = 2000;
constexpr DWORD kSlowReleaseRetryMs = 1000;
constexpr DWORD kSlowReleaseStepMs = 50;

DWORD OpenBaudRate(int rate)
{
    switch (rate) {
    case 300:
    case 600:
    case 1200:
    case 2400:
    case 4800:
    case 9600:
    case 14400:
    case 19200:
    case 38400:
    case 57600:
    case 115200:
        return static_cast<DWORD>(rate);
    default:
        return CBR_9600;
    }
}

// The rate change accepts a shorter list than the open: no 300, 600 or 14400.
DWORD LineSettingsBaudRate(int rate)
{
    switch (rate) {
    case 1200:
    case 2400:
    case 4800:
    case 9600:
    case 19200:
    case 38400:
    case 57600:
    case 115200:
        return static_cast<DWORD>(rate);
    default:
        return CBR_9600;
    }
}

BYTE OpenParity(int parity)
{
    switch (parity) {
    case 'O':
        return ODDPARITY;
    case 'E':
        return EVENPARITY;
    case 'M':
        return MARKPARITY;
    case 'S':
        return SPACEPARITY;
    default:
        return NOPARITY;
    }
}

// The rate change knows only none, odd and even parity.
BYTE LineSettingsParity(int parity)
{
    switch (parity) {
    case 'O':
        return ODDPARITY;
    case 'E':
        return EVENPARITY;
    default:
        return NOPARITY;
    }
}

}  // namespace

CRS232::CRS232(SerialApi& api, TickClock& clock) : m_api(api), m_clock(clock)
{
}

CRS232::~CRS232()
{
    Close();
}

void CRS232::FillLineSettings(int baudRate, int parity, int dataBits, int stopBits)
{
    m_dcb = DCB{};
    m_dcb.DCBlength = sizeof(DCB);
    m_dcb.BaudRate = OpenBaudRate(baudRate);
    m_dcb.fBinary = TRUE;
    m_dcb.fParity = TRUE;
    m_dcb.fOutxCtsFlow = FALSE;
    m_dcb.fOutxDsrFlow = FALSE;
    m_dcb.fDtrControl = DTR_CONTROL_ENABLE;
    m_dcb.fDsrSensitivity = FALSE;
    m_dcb.fTXContinueOnXoff = TRUE;
    m_dcb.fOutX = FALSE;
    m_dcb.fInX = FALSE;
    m_dcb.fErrorChar = FALSE;
    m_dcb.fNull = FALSE;
    m_dcb.fRtsControl = RTS_CONTROL_ENABLE;
    m_dcb.fAbortOnError = FALSE;
    m_dcb.XonLim = 100;
    m_dcb.XoffLim = 100;
    m_dcb.ByteSize = static_cast<BYTE>(dataBits);
    m_dcb.Parity = OpenParity(parity);
    m_dcb.StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    m_dcb.XonChar = 0x11;
    m_dcb.XoffChar = 0x13;
    m_dcb.ErrorChar = static_cast<char>(0xFF);
    m_dcb.EofChar = 0x0D;
    m_dcb.EvtChar = static_cast<char>(0xFF);
}

BOOL CRS232::Open(int portNumber, int baudRate, int parity, int dataBits, int stopBits)
{
    Close();

    char deviceName[32];
    std::snprintf(deviceName, sizeof deviceName, "\\\\.\\COM%d", portNumber);
    m_portNumber = portNumber;
    FillLineSettings(baudRate, parity, dataBits, stopBits);

    HANDLE port = m_api.CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    // A port another program holds is reported at once; only our own recent
    // close may be a driver still letting the port go.
    const bool releasing = port == INVALID_HANDLE_VALUE && m_api.GetLastError() == ERROR_ACCESS_DENIED &&
                           portNumber == m_closedPort && m_clock.GetTickCount() - m_closedTick < kSlowReleaseWindowMs &&
                           !m_api.IsHeldByAnotherProcess(deviceName);
    // One wait for each close: a second open of the same start is answered at once.
    m_closedPort = -1;
    const DWORD refused = m_clock.GetTickCount();
    while (port == INVALID_HANDLE_VALUE && releasing && m_api.GetLastError() == ERROR_ACCESS_DENIED &&
           m_clock.GetTickCount() - refused < kSlowReleaseRetryMs) {
        m_clock.Sleep(kSlowReleaseStepMs);
        port = m_api.CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    }
    if (port == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    m_hPort = port;
    m_isOpen = 1;
    m_writeFailed = false;
    m_statusFailed = false;
    m_inQueueSize = kQueueSize;
    m_outQueueSize = kQueueSize;

    // The port is usable once the handle exists; these results are not acted on.
    m_api.SetupComm(m_hPort, m_inQueueSize, m_outQueueSize);
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;  // a read returns at once with what is queued
    timeouts.WriteTotalTimeoutConstant = kWriteStallLimitMs;
    m_api.SetCommTimeouts(m_hPort, &timeouts);
    m_api.SetCommState(m_hPort, &m_dcb);
    m_api.SetCommMask(m_hPort, EV_RXCHAR | EV_TXEMPTY);
    return TRUE;
}

void CRS232::Close()
{
    if (m_isOpen != 1) {
        return;
    }
    m_api.EscapeCommFunction(m_hPort, CLRDTR);
    m_api.EscapeCommFunction(m_hPort, CLRRTS);
    m_api.CloseHandle(m_hPort);
    m_hPort = INVALID_HANDLE_VALUE;
    m_isOpen = 0;
    m_closedPort = m_portNumber;
    m_closedTick = m_clock.GetTickCount();
}

int CRS232::GetPortNumber() const
{
    return m_isOpen ? m_portNumber : -1;
}

BOOL CRS232::SetLineSettings(int baudRate, int parity, int dataBits)
{
    if (!m_isOpen) {
        return FALSE;
    }
    m_dcb.BaudRate = LineSettingsBaudRate(baudRate);
    m_dcb.Parity = LineSettingsParity(parity);
    m_dcb.ByteSize = static_cast<BYTE>(dataBits - '0');
    m_api.SetCommState(m_hPort, &m_dcb);
    return PurgeInput();
}

BOOL CRS232::WriteBuffer(const void* data, int length)
{
    if (!m_isOpen || length < 0 || m_writeFailed) {
        return FALSE;
    }
    DWORD written = 0;
    // A write that times out on Windows reports success with fewer bytes written.
    if (!m_api.WriteFile(m_hPort, data, static_cast<DWORD>(length), &written) ||
        written != static_cast<DWORD>(length)) {
        m_writeFailed = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CRS232::WriteString(const char* text)
{
    return WriteBuffer(text, static_cast<int>(std::strlen(text)));
}

DWORD CRS232::GetInputCount()
{
    if (!m_isOpen) {
        return 0;
    }
    DWORD errors = 0;
    COMSTAT status{};
    if (!m_api.ClearCommError(m_hPort, &errors, &status)) {
        m_statusFailed = true;
        return 0;
    }
    return status.cbInQue;
}

BOOL CRS232::PurgeInput()
{
    if (!m_isOpen) {
        return FALSE;
    }
    return m_api.PurgeComm(m_hPort, PURGE_RXCLEAR);
}

int CRS232::Read(void* buffer, unsigned maxBytes)
{
    if (maxBytes == 0 || !m_isOpen) {
        return 0;
    }
    const DWORD available = GetInputCount();
    if (available == 0) {
        return 0;
    }
    const DWORD toRead = available < maxBytes ? available : maxBytes;
    DWORD read = 0;
    if (!m_api.ReadFile(m_hPort, buffer, toRead, &read)) {
        return 0;
    }
    return static_cast<int>(read);
}

void CRS232::ClearAndWait(unsigned ms)
{
    if (!m_isOpen) {
        return;
    }
    m_api.PurgeComm(m_hPort, PURGE_TXCLEAR);
    m_api.PurgeComm(m_hPort, PURGE_RXCLEAR);
    WaitFromTick(m_clock, m_clock.GetTickCount(), ms);
}

void CRS232::SendPacket(const void* data, int length)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint8_t frame[kRelayFrameBufferSize];
    int offset = 0;
    while (length > 0) {
        const int n = length >= kRelayFrameMaxPayload + 1 ? kRelayFrameMaxPayload : length;
        length -= n;
        const std::size_t frameLength = BuildRelayFrame(bytes + offset, n, frame);
        WriteBuffer(frame, static_cast<int>(frameLength));
        offset += n;
    }
}

void CRS232::SendPacketString(const char* text)
{
    SendPacket(text, static_cast<int>(std::strlen(text)));
}

}  // namespace fwut

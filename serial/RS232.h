// CRS232: the one way to the serial port behind which the relay sits.
// Reads never wait in the driver; every wait is a loop on the tick count done
// by the caller. Payloads for the module go out as relay packet frames.
#pragma once

#include "platform/SerialApi.h"
#include "platform/TickClock.h"

namespace fwut {

class CRS232 {
public:
    CRS232(SerialApi& api, TickClock& clock);
    CRS232(const CRS232&) = delete;
    CRS232& operator=(const CRS232&) = delete;
    virtual ~CRS232();

    // Closes the port if open, then opens COM<portNumber>. Parity is a
    // character code ('N', 'O', 'E', 'M', 'S'); rates outside the list give 9600.
    // Some adapters' drivers refuse a new open for a moment after a close: a
    // refusal (access denied) within 2 s of this object's own close of the
    // same port is tried again for up to a second, once for each close, unless
    // another process is seen to hold the port.
    BOOL Open(int portNumber, int baudRate, int parity, int dataBits, int stopBits);
    void Close();
    int GetPortNumber() const;
    // Changes the rate, parity and data bits ('8') of the open port, keeping
    // every other setting, and discards the input received at the old rate.
    BOOL SetLineSettings(int baudRate, int parity, int dataBits);

    BOOL WriteBuffer(const void* data, int length);
    BOOL WriteString(const char* text);
    // Bytes waiting in the input queue; clears the port's error state.
    DWORD GetInputCount();
    BOOL PurgeInput();
    int Read(void* buffer, unsigned maxBytes);
    void ClearAndWait(unsigned ms);
    void SendPacket(const void* data, int length);
    void SendPacketString(const char* text);

    bool IsOpen() const { return m_isOpen != 0; }
    // The line stopped working since the port was opened: a write failed or
    // timed out, or the port's status could not be read (an unplugged adapter).
    bool IsLineLost() const { return m_writeFailed || m_statusFailed; }

private:
    void FillLineSettings(int baudRate, int parity, int dataBits, int stopBits);

    SerialApi& m_api;
    TickClock& m_clock;

    int m_portNumber = -1;
    DCB m_dcb{};
    int m_isOpen = 0;
    HANDLE m_hPort = INVALID_HANDLE_VALUE;
    DWORD m_inQueueSize = 0;
    DWORD m_outQueueSize = 0;
    // After a write has failed, later writes are not tried: each would wait
    // out the write time-out again on a line that takes nothing.
    bool m_writeFailed = false;
    bool m_statusFailed = false;
    int m_closedPort = -1;
    DWORD m_closedTick = 0;
};

}  // namespace fwut

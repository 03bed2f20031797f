// The serial-port calls of kernel32 on a POSIX terminal device. "\\.\COM<n>"
// is looked up in the port directory; the HANDLE is the file descriptor.
#pragma once

#include <termios.h>

#include <map>
#include <string>

#include "platform/SerialApi.h"
#include "platform/SerialCommKey.h"

namespace fwut {

class PosixSerialApi final : public SerialApi {
public:
    // ports resolves "\\.\COM<n>" through DevicePath(n).
    explicit PosixSerialApi(SerialCommKey& ports);

    HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD flagsAndAttributes) override;
    BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) override;
    BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts) override;
    BOOL SetCommState(HANDLE port, const DCB* dcb) override;
    BOOL SetCommMask(HANDLE port, DWORD eventMask) override;
    BOOL PurgeComm(HANDLE port, DWORD flags) override;
    BOOL ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status) override;
    BOOL ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read) override;
    BOOL WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written) override;
    BOOL EscapeCommFunction(HANDLE port, DWORD function) override;
    BOOL CloseHandle(HANDLE port) override;

    DWORD GetLastError() const override { return m_lastError; }
    const char* LastErrorText() const override { return m_lastErrorText.c_str(); }
    // A port held here is refused as a sharing violation, never as access
    // denied, so the slow-release wait never needs to ask.
    bool IsHeldByAnotherProcess(const char*) override { return false; }

private:
    // Records errno value err as the last error and returns FALSE.
    BOOL Fail(int err);
    BOOL Fail(DWORD error, std::string text);
    BOOL CheckHandle(HANDLE port);

    SerialCommKey& m_ports;
    // The write time-out of each open port (COMMTIMEOUTS' write constant).
    std::map<int, DWORD> m_writeStallMs;
    // Each open port's line settings from before the open, put back at the
    // close: the device may be another program's terminal or line next time.
    std::map<int, termios> m_originalSettings;
    DWORD m_lastError = ERROR_SUCCESS;
    std::string m_lastErrorText;
};

}  // namespace fwut

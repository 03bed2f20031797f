// The serial-port calls of kernel32, forwarded unchanged. The only addition is
// the remembered error: the code of the last failed call and its system text.
#pragma once

#include <string>

#include "platform/SerialApi.h"

namespace fwut {

class Win32SerialApi : public SerialApi {
public:
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
    bool IsHeldByAnotherProcess(const char* fileName) override;

private:
    // Keeps the system's error of a failed call; passes the result through.
    BOOL Check(BOOL result);

    DWORD m_lastError = ERROR_SUCCESS;
    std::string m_lastErrorText;
};

// The system's text for a Win32 error code, without its full stop and line
// end, so that it can stand inside a sentence.
std::string SystemErrorText(DWORD error);

}  // namespace fwut

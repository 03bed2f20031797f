// The serial-port calls of kernel32, as one interface.
// The Win32 backend forwards each call unchanged; the POSIX backend maps them
// onto termios; test doubles record or script them. The names, arguments and
// results keep their Win32 meaning so that the port object above reads the
// same everywhere.
#pragma once

#include "platform/Win32Types.h"

namespace fwut {

class SerialApi {
public:
    virtual ~SerialApi() = default;

    // Opens a device such as "\\.\COM7". Returns INVALID_HANDLE_VALUE when the
    // port is absent or held by another program (no sharing is ever granted).
    virtual HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                               DWORD flagsAndAttributes) = 0;
    virtual BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) = 0;
    virtual BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL SetCommState(HANDLE port, const DCB* dcb) = 0;
    virtual BOOL SetCommMask(HANDLE port, DWORD eventMask) = 0;
    virtual BOOL PurgeComm(HANDLE port, DWORD flags) = 0;
    virtual BOOL ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status) = 0;
    virtual BOOL ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read) = 0;
    virtual BOOL WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written) = 0;
    virtual BOOL EscapeCommFunction(HANDLE port, DWORD function) = 0;
    virtual BOOL CloseHandle(HANDLE port) = 0;

    // Whether another process is seen to have the device open now: a busy
    // port, not one whose driver is still letting it go after a close.
    virtual bool IsHeldByAnotherProcess(const char* fileName) = 0;

    // The system's reason for the last failed call, as a Win32 error code, and
    // its text (for the command-line tool's advice when a port cannot be opened).
    virtual DWORD GetLastError() const = 0;
    virtual const char* LastErrorText() const = 0;
};

}  // namespace fwut

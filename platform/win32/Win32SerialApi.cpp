#include "platform/win32/Win32SerialApi.h"

#include "platform/PortHolder.h"

namespace fwut {

std::string SystemErrorText(DWORD error)
{
    char buffer[512] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                          buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(error) : text;
}

BOOL Win32SerialApi::Check(BOOL result)
{
    if (!result) {
        m_lastError = ::GetLastError();
        m_lastErrorText = SystemErrorText(m_lastError);
    }
    return result;
}

HANDLE Win32SerialApi::CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                                   DWORD creationDisposition, DWORD flagsAndAttributes)
{
    const HANDLE port =
        ::CreateFileA(fileName, desiredAccess, shareMode, nullptr, creationDisposition, flagsAndAttributes, nullptr);
    Check(port != INVALID_HANDLE_VALUE);
    return port;
}

BOOL Win32SerialApi::SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue)
{
    return Check(::SetupComm(port, inQueue, outQueue));
}

BOOL Win32SerialApi::SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts)
{
    // The Win32 prototype takes a non-const pointer but only reads the record.
    COMMTIMEOUTS copy = *timeouts;
    return Check(::SetCommTimeouts(port, &copy));
}

BOOL Win32SerialApi::SetCommState(HANDLE port, const DCB* dcb)
{
    DCB copy = *dcb;
    return Check(::SetCommState(port, &copy));
}

BOOL Win32SerialApi::SetCommMask(HANDLE port, DWORD eventMask)
{
    return Check(::SetCommMask(port, eventMask));
}

BOOL Win32SerialApi::PurgeComm(HANDLE port, DWORD flags)
{
    return Check(::PurgeComm(port, flags));
}

BOOL Win32SerialApi::ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status)
{
    return Check(::ClearCommError(port, errors, status));
}

BOOL Win32SerialApi::ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read)
{
    return Check(::ReadFile(port, buffer, toRead, read, nullptr));
}

BOOL Win32SerialApi::WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written)
{
    return Check(::WriteFile(port, buffer, toWrite, written, nullptr));
}

BOOL Win32SerialApi::EscapeCommFunction(HANDLE port, DWORD function)
{
    return Check(::EscapeCommFunction(port, function));
}

BOOL Win32SerialApi::CloseHandle(HANDLE port)
{
    return Check(::CloseHandle(port));
}

bool Win32SerialApi::IsHeldByAnotherProcess(const char* fileName)
{
    return FindPortLocker(fileName).has_value();
}

}  // namespace fwut

#include "tests/doubles/RecordingSerialApi.h"

#include <algorithm>
#include <utility>

namespace fwut {

void RecordingSerialApi::FailCreateFile(int times, DWORD error, std::string text)
{
    m_createFailures = times;
    m_scriptedError = error;
    m_scriptedText = std::move(text);
}

std::vector<std::string> RecordingSerialApi::CallNames() const
{
    std::vector<std::string> names;
    for (const SerialCall& call : m_calls) {
        names.push_back(call.name);
    }
    return names;
}

int RecordingSerialApi::Count(const std::string& name) const
{
    return static_cast<int>(
        std::count_if(m_calls.begin(), m_calls.end(), [&](const SerialCall& call) { return call.name == name; }));
}

std::vector<BYTE> RecordingSerialApi::WrittenBytes() const
{
    std::vector<BYTE> bytes;
    for (const SerialCall& call : m_calls) {
        if (call.name == "WriteFile") {
            bytes.insert(bytes.end(), call.bytes.begin(), call.bytes.end());
        }
    }
    return bytes;
}

SerialCall& RecordingSerialApi::Record(const char* name, HANDLE port, std::vector<DWORD> args)
{
    SerialCall call;
    call.name = name;
    call.handle = port;
    call.args = std::move(args);
    m_calls.push_back(std::move(call));
    return m_calls.back();
}

HANDLE RecordingSerialApi::CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                                       DWORD creationDisposition, DWORD flagsAndAttributes)
{
    SerialCall& call = Record("CreateFileA", nullptr, {desiredAccess, shareMode, creationDisposition, flagsAndAttributes});
    call.fileName = fileName != nullptr ? fileName : "";
    HANDLE handle = INVALID_HANDLE_VALUE;
    m_lastErrorScripted = m_createFailures > 0;
    if (m_lastErrorScripted) {
        --m_createFailures;
    } else if (m_inner != nullptr) {
        handle = m_inner->CreateFileA(fileName, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
    } else {
        handle = reinterpret_cast<HANDLE>(m_nextHandle++);
    }
    call.handle = handle;
    call.result = reinterpret_cast<std::intptr_t>(handle);
    return handle;
}

BOOL RecordingSerialApi::SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue)
{
    SerialCall& call = Record("SetupComm", port, {inQueue, outQueue});
    call.result = m_inner != nullptr ? m_inner->SetupComm(port, inQueue, outQueue) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts)
{
    SerialCall& call = Record("SetCommTimeouts", port, {});
    if (timeouts != nullptr) {
        call.timeouts = *timeouts;
    }
    call.result = m_inner != nullptr ? m_inner->SetCommTimeouts(port, timeouts) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::SetCommState(HANDLE port, const DCB* dcb)
{
    SerialCall& call = Record("SetCommState", port, {});
    if (dcb != nullptr) {
        call.dcb = *dcb;
    }
    call.result = m_inner != nullptr ? m_inner->SetCommState(port, dcb) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::SetCommMask(HANDLE port, DWORD eventMask)
{
    SerialCall& call = Record("SetCommMask", port, {eventMask});
    call.result = m_inner != nullptr ? m_inner->SetCommMask(port, eventMask) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::PurgeComm(HANDLE port, DWORD flags)
{
    SerialCall& call = Record("PurgeComm", port, {flags});
    call.result = m_inner != nullptr ? m_inner->PurgeComm(port, flags) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status)
{
    SerialCall& call = Record("ClearCommError", port, {});
    if (m_inner != nullptr) {
        call.result = m_inner->ClearCommError(port, errors, status);
        return static_cast<BOOL>(call.result);
    }
    if (errors != nullptr) {
        *errors = 0;
    }
    if (status != nullptr) {
        *status = COMSTAT{};
    }
    call.result = TRUE;
    return TRUE;
}

BOOL RecordingSerialApi::ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read)
{
    SerialCall& call = Record("ReadFile", port, {toRead});
    DWORD got = 0;
    call.result = m_inner != nullptr ? m_inner->ReadFile(port, buffer, toRead, &got) : TRUE;
    const auto* bytes = static_cast<const BYTE*>(buffer);
    call.bytes.assign(bytes, bytes + got);
    if (read != nullptr) {
        *read = got;
    }
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written)
{
    SerialCall& call = Record("WriteFile", port, {toWrite});
    const auto* bytes = static_cast<const BYTE*>(buffer);
    call.bytes.assign(bytes, bytes + toWrite);
    DWORD done = toWrite;
    call.result = m_inner != nullptr ? m_inner->WriteFile(port, buffer, toWrite, &done) : TRUE;
    if (written != nullptr) {
        *written = done;
    }
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::EscapeCommFunction(HANDLE port, DWORD function)
{
    SerialCall& call = Record("EscapeCommFunction", port, {function});
    call.result = m_inner != nullptr ? m_inner->EscapeCommFunction(port, function) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::CloseHandle(HANDLE port)
{
    SerialCall& call = Record("CloseHandle", port, {});
    call.result = m_inner != nullptr ? m_inner->CloseHandle(port) : TRUE;
    return static_cast<BOOL>(call.result);
}

DWORD RecordingSerialApi::GetLastError() const
{
    if (m_lastErrorScripted) {
        return m_scriptedError;
    }
    return m_inner != nullptr ? m_inner->GetLastError() : ERROR_SUCCESS;
}

const char* RecordingSerialApi::LastErrorText() const
{
    if (m_lastErrorScripted) {
        return m_scriptedText.c_str();
    }
    return m_inner != nullptr ? m_inner->LastErrorText() : "";
}

}  // namespace fwut

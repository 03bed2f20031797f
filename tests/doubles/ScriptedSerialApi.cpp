#include "tests/doubles/ScriptedSerialApi.h"

#include <cstdlib>
#include <cstring>

namespace fwut {

namespace {
const HANDLE kHandle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x5E81A1));
}

ScriptedSerialApi::ScriptedSerialApi(TickClock& clock) : m_clock(clock)
{
}

void ScriptedSerialApi::AddPort(int portNumber, int failingOpens)
{
    m_failingOpens[portNumber] = failingOpens;
}

void ScriptedSerialApi::ScheduleInput(DWORD tick, const std::vector<std::uint8_t>& bytes)
{
    m_scheduled.emplace(tick, bytes);
}

std::vector<std::uint8_t> ScriptedSerialApi::AllWrittenBytes() const
{
    std::vector<std::uint8_t> all;
    for (const Write& write : m_writes) {
        all.insert(all.end(), write.bytes.begin(), write.bytes.end());
    }
    return all;
}

std::vector<std::string> ScriptedSerialApi::EventsSince(std::size_t first) const
{
    std::vector<std::string> events;
    for (std::size_t i = first; i < m_events.size(); ++i) {
        events.push_back(m_events[i].what);
    }
    return events;
}

int ScriptedSerialApi::OpenAttempts(int portNumber) const
{
    const auto found = m_openAttempts.find(portNumber);
    return found == m_openAttempts.end() ? 0 : found->second;
}

bool ScriptedSerialApi::Valid(HANDLE port) const
{
    return port == kHandle && m_openPort != -1;
}

void ScriptedSerialApi::DeliverDueInput()
{
    const DWORD now = m_clock.GetTickCount();
    while (!m_scheduled.empty() && m_scheduled.begin()->first <= now) {
        const auto& bytes = m_scheduled.begin()->second;
        m_input.insert(m_input.end(), bytes.begin(), bytes.end());
        m_scheduled.erase(m_scheduled.begin());
    }
}

void ScriptedSerialApi::Log(const std::string& what)
{
    m_events.push_back(Event{m_clock.GetTickCount(), what});
}

namespace {

int PortNumberOf(const char* fileName)
{
    const char* prefix = "\\\\.\\COM";
    return std::strncmp(fileName, prefix, std::strlen(prefix)) == 0 ? std::atoi(fileName + std::strlen(prefix)) : -1;
}

}  // namespace

bool ScriptedSerialApi::IsHeldByAnotherProcess(const char* fileName)
{
    return heldByAnother.contains(PortNumberOf(fileName));
}

HANDLE ScriptedSerialApi::CreateFileA(const char* fileName, DWORD, DWORD shareMode, DWORD, DWORD)
{
    const int port = PortNumberOf(fileName);
    ++m_openAttempts[port];
    Log(std::string("open ") + (fileName + 4));
    const auto known = m_failingOpens.find(port);
    if (known == m_failingOpens.end()) {
        m_lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (known->second > 0 || m_openPort != -1 || shareMode != 0) {
        if (known->second > 0) {
            --known->second;
        }
        m_lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    m_openPort = port;
    return kHandle;
}

BOOL ScriptedSerialApi::SetupComm(HANDLE port, DWORD, DWORD)
{
    return Valid(port);
}

BOOL ScriptedSerialApi::SetCommTimeouts(HANDLE port, const COMMTIMEOUTS*)
{
    return Valid(port);
}

BOOL ScriptedSerialApi::SetCommState(HANDLE port, const DCB* dcb)
{
    if (!Valid(port)) {
        return FALSE;
    }
    m_dcb = *dcb;
    Log("state " + std::to_string(dcb->BaudRate));
    return TRUE;
}

BOOL ScriptedSerialApi::SetCommMask(HANDLE port, DWORD)
{
    return Valid(port);
}

BOOL ScriptedSerialApi::PurgeComm(HANDLE port, DWORD flags)
{
    if (!Valid(port)) {
        return FALSE;
    }
    if (flags & PURGE_RXCLEAR) {
        DeliverDueInput();
        m_input.clear();
        Log("purge rx");
    }
    if (flags & PURGE_TXCLEAR) {
        Log("purge tx");
    }
    return TRUE;
}

BOOL ScriptedSerialApi::ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status)
{
    *errors = 0;
    *status = COMSTAT{};
    if (!Valid(port)) {
        return FALSE;
    }
    DeliverDueInput();
    status->cbInQue = static_cast<DWORD>(m_input.size());
    return TRUE;
}

BOOL ScriptedSerialApi::ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read)
{
    *read = 0;
    if (!Valid(port)) {
        return FALSE;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (*read < toRead && !m_input.empty()) {
        bytes[(*read)++] = m_input.front();
        m_input.pop_front();
    }
    return TRUE;
}

BOOL ScriptedSerialApi::WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written)
{
    *written = 0;
    if (!Valid(port)) {
        return FALSE;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    m_stopped = m_stopped || (stopsAt && stopsAt({bytes, bytes + toWrite}));
    if (m_stopped) {
        m_lastError = ERROR_GEN_FAILURE;
        return FALSE;
    }
    m_writes.push_back(Write{m_clock.GetTickCount(), m_dcb.BaudRate, {bytes, bytes + toWrite}});
    *written = toWrite;
    const std::vector<std::uint8_t> bytesWritten = m_writes.back().bytes;
    for (const WriteHook& hook : m_onWrite) {
        hook(*this, bytesWritten);
    }
    return TRUE;
}

BOOL ScriptedSerialApi::EscapeCommFunction(HANDLE port, DWORD function)
{
    if (!Valid(port)) {
        return FALSE;
    }
    switch (function) {
    case CLRDTR:
        Log("DTR off");
        break;
    case CLRRTS:
        Log("RTS off");
        break;
    case SETDTR:
        Log("DTR on");
        break;
    case SETRTS:
        Log("RTS on");
        break;
    default:
        break;
    }
    return TRUE;
}

BOOL ScriptedSerialApi::CloseHandle(HANDLE port)
{
    if (port != kHandle || m_openPort == -1) {
        return FALSE;
    }
    Log("close");
    m_openPort = -1;
    m_input.clear();
    m_scheduled.clear();
    return TRUE;
}

const char* ScriptedSerialApi::LastErrorText() const
{
    return m_lastError == ERROR_ACCESS_DENIED ? "Access is denied." : "The system cannot find the file specified.";
}

}  // namespace fwut

// An in-memory serial port for fast, deterministic tests on a virtual clock:
// it records every write with the tick count and line rate in force, and
// delivers input that a test queued, scheduled or produced in reaction to a
// write. Several ports can be present; each open is exclusive.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/SerialApi.h"
#include "platform/TickClock.h"

namespace fwut {

class ScriptedSerialApi final : public SerialApi {
public:
    struct Write {
        DWORD tick;
        DWORD baudRate;
        std::vector<std::uint8_t> bytes;
    };
    struct Event {
        DWORD tick;
        std::string what;  // "open COM3", "close", "purge rx", "purge tx", "state 19200", "DTR off"...
    };
    using WriteHook = std::function<void(ScriptedSerialApi& port, const std::vector<std::uint8_t>& bytes)>;

    explicit ScriptedSerialApi(TickClock& clock);

    // Which COM numbers exist, and how many opens of each fail before one succeeds.
    void AddPort(int portNumber, int failingOpens = 0);
    // Ports that another program is seen to hold, whatever the opens do.
    std::set<int> heldByAnother;

    void ScheduleInput(DWORD tick, const std::vector<std::uint8_t>& bytes);
    // Adds a hook that sees every write, after the hooks added before it.
    void OnWrite(WriteHook hook) { m_onWrite.push_back(std::move(hook)); }
    // The line stops taking bytes at the first write this says so of: that
    // write and every later one fail.
    std::function<bool(const std::vector<std::uint8_t>& bytes)> stopsAt;

    const std::vector<Write>& Writes() const { return m_writes; }
    const std::vector<Event>& Events() const { return m_events; }
    // What happened from event number first on, without the ticks.
    std::vector<std::string> EventsSince(std::size_t first = 0) const;
    std::vector<std::uint8_t> AllWrittenBytes() const;
    std::size_t PendingInput() const { return m_input.size(); }
    int OpenAttempts(int portNumber) const;
    bool IsOpen() const { return m_openPort != -1; }
    const DCB& LastState() const { return m_dcb; }

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
    const char* LastErrorText() const override;
    bool IsHeldByAnotherProcess(const char* fileName) override;

private:
    bool Valid(HANDLE port) const;
    void DeliverDueInput();
    void Log(const std::string& what);

    TickClock& m_clock;
    std::vector<WriteHook> m_onWrite;
    std::map<int, int> m_failingOpens;  // port -> opens still to fail
    std::map<int, int> m_openAttempts;
    int m_openPort = -1;
    DCB m_dcb{};
    DWORD m_lastError = 0;
    std::deque<std::uint8_t> m_input;
    std::multimap<DWORD, std::vector<std::uint8_t>> m_scheduled;
    std::vector<Write> m_writes;
    std::vector<Event> m_events;
    bool m_stopped = false;
};

}  // namespace fwut

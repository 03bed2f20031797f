// Records every serial call in order and hands it on to an inner SerialApi
// (a real port, a simulated device). Without one it acts as a present device
// that takes every setting and every byte and never has input. CreateFileA can
// be made to fail a number of times, as for a port that another program holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialApi.h"

namespace fwut {

struct SerialCall {
    std::string name;                       // "CreateFileA", "WriteFile", ...
    HANDLE handle = nullptr;                // the port handle passed (or returned by CreateFileA)
    std::string fileName;                   // CreateFileA only
    std::vector<DWORD> args;                // the numeric arguments, in order
    std::optional<DCB> dcb;                 // SetCommState
    std::optional<COMMTIMEOUTS> timeouts;   // SetCommTimeouts
    std::vector<BYTE> bytes;                // WriteFile: offered; ReadFile: delivered
    std::intptr_t result = 0;               // BOOL, or the handle as a number
};

class RecordingSerialApi final : public SerialApi {
public:
    explicit RecordingSerialApi(SerialApi* inner = nullptr) : m_inner(inner) {}

    // The next `times` CreateFileA calls fail with error and text, without reaching the inner API.
    void FailCreateFile(int times, DWORD error = ERROR_ACCESS_DENIED, std::string text = "Access is denied.");

    const std::vector<SerialCall>& Calls() const { return m_calls; }
    std::vector<std::string> CallNames() const;
    int Count(const std::string& name) const;
    // All bytes offered to WriteFile, in order.
    std::vector<BYTE> WrittenBytes() const;
    void ClearCalls() { m_calls.clear(); }

    HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override;
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

    DWORD GetLastError() const override;
    const char* LastErrorText() const override;

private:
    SerialCall& Record(const char* name, HANDLE port, std::vector<DWORD> args);

    SerialApi* m_inner;
    std::vector<SerialCall> m_calls;
    int m_createFailures = 0;
    DWORD m_scriptedError = ERROR_SUCCESS;
    std::string m_scriptedText;
    bool m_lastErrorScripted = false;
    std::intptr_t m_nextHandle = 0x100;
};

}  // namespace fwut

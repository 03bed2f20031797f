#include "platform/fake/RecordingSerialApi.h"

#include <algorithm>
#include <utility>

namespace fwut {

void RecordingSerialApi::FailCreateFile(int times, DWORD error, std::string text)
{
    createFailures_ = times;
    scriptedError_ = error;
    scriptedText_ = std::move(text);
}

std::vector<std::string> RecordingSerialApi::CallNames() const
{
    std::vector<std::string> names;
    for (const SerialCall& call : calls_) {
        names.push_back(call.name);
    }
    return names;
}

int RecordingSerialApi::Count(const std::string& name) const
{
    return static_cast<int>(
        std::count_if(calls_.begin(), calls_.end(), [&](const SerialCall& call) { return call.name == name; }));
}

std::vector<BYTE> RecordingSerialApi::WrittenBytes() const
{
    std::vector<BYTE> bytes;
    for (const SerialCall& call : calls_) {
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
    calls_.push_back(std::move(call));
    return calls_.back();
}

HANDLE RecordingSerialApi::CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                                       DWORD creationDisposition, DWORD flagsAndAttributes)
{
    SerialCall& call = Record("CreateFileA", nullptr, {desiredAccess, shareMode, creationDisposition, flagsAndAttributes});
    call.fileName = fileName != nullptr ? fileName : "";
    HANDLE handle = INVALID_HANDLE_VALUE;
    lastErrorScripted_ = createFailures_ > 0;
    if (lastErrorScripted_) {
        --createFailures_;
    } else if (inner_ != nullptr) {
        handle = inner_->CreateFileA(fileName, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
    } else {
        handle = reinterpret_cast<HANDLE>(nextHandle_++);
    }
    call.handle = handle;
    call.result = reinterpret_cast<std::intptr_t>(handle);
    return handle;
}

BOOL RecordingSerialApi::SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue)
{
    SerialCall& call = Record("SetupComm", port, {inQueue, outQueue});
    call.result = inner_ != nullptr ? inner_->SetupComm(port, inQueue, outQueue) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts)
{
    SerialCall& call = Record("SetCommTimeouts", port, {});
    if (timeouts != nullptr) {
        call.timeouts = *timeouts;
    }
    call.result = inner_ != nullptr ? inner_->SetCommTimeouts(port, timeouts) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::SetCommState(HANDLE port, const DCB* dcb)
{
    SerialCall& call = Record("SetCommState", port, {});
    if (dcb != nullptr) {
        call.dcb = *dcb;
    }
    call.result = inner_ != nullptr ? inner_->SetCommState(port, dcb) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::SetCommMask(HANDLE port, DWORD eventMask)
{
    SerialCall& call = Record("SetCommMask", port, {eventMask});
    call.result = inner_ != nullptr ? inner_->SetCommMask(port, eventMask) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::PurgeComm(HANDLE port, DWORD flags)
{
    SerialCall& call = Record("PurgeComm", port, {flags});
    call.result = inner_ != nullptr ? inner_->PurgeComm(port, flags) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status)
{
    SerialCall& call = Record("ClearCommError", port, {});
    if (inner_ != nullptr) {
        call.result = inner_->ClearCommError(port, errors, status);
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
    call.result = inner_ != nullptr ? inner_->ReadFile(port, buffer, toRead, &got) : TRUE;
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
    call.result = inner_ != nullptr ? inner_->WriteFile(port, buffer, toWrite, &done) : TRUE;
    if (written != nullptr) {
        *written = done;
    }
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::EscapeCommFunction(HANDLE port, DWORD function)
{
    SerialCall& call = Record("EscapeCommFunction", port, {function});
    call.result = inner_ != nullptr ? inner_->EscapeCommFunction(port, function) : TRUE;
    return static_cast<BOOL>(call.result);
}

BOOL RecordingSerialApi::CloseHandle(HANDLE port)
{
    SerialCall& call = Record("CloseHandle", port, {});
    call.result = inner_ != nullptr ? inner_->CloseHandle(port) : TRUE;
    return static_cast<BOOL>(call.result);
}

DWORD RecordingSerialApi::GetLastError() const
{
    if (lastErrorScripted_) {
        return scriptedError_;
    }
    return inner_ != nullptr ? inner_->GetLastError() : ERROR_SUCCESS;
}

const char* RecordingSerialApi::LastErrorText() const
{
    if (lastErrorScripted_) {
        return scriptedText_.c_str();
    }
    return inner_ != nullptr ? inner_->LastErrorText() : "";
}

}  // namespace fwut

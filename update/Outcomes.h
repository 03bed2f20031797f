// Every way an update can end, one row each: the names programs and people
// read, the command line's exit code, what to check, and the head of the
// window's failure message. The readers (the console, the JSON lines, the
// update record, the report) look an outcome up here; a new outcome is one
// new row, and the compiler points at nothing else to change.
#pragma once

#include <span>
#include <string>

namespace fwut {

// The exit codes of fwut-cli; the README and --help list them too. The
// update record keeps them for the window's updates as well.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitInternalError = 1,
    kExitUsage = 2,
    kExitFirmwareFile = 3,
    kExitPortNotOpened = 4,
    kExitNoResponse = 5,
    kExitInvalidVersionResponse = 6,
    kExitNoReadyResponse = 7,
    kExitInvalidReadyResponse = 8,
    kExitTemporaryFile = 9,
    kExitCancelled = 10,
    kExitInterrupted = 11,
    kExitOutputNotWritten = 12,
    kExitRecordNotRead = 13,
};

enum class UpdateOutcome {
    None,
    Succeeded,
    PortNotOpened,
    LineLost,
    FirmwareFileProblem,
    ConversionFailed,
    FirmwareFileChanged,
    TemporaryFile,
    Cancelled,
    NoResponse,
    InvalidVersionResponse,
    NoReadyResponse,
    InvalidReadyResponse,
    PageNotAccepted,
    Interrupted,
};

struct OutcomeFacts {
    UpdateOutcome outcome;
    const char* key;  // for programs: the JSON lines and the record ("no-response")
    const char* name;  // for people: the text output ("no response")
    int exitCode;
    const char* hint;  // what to check; empty only for a success
    // The window's failure message begins with this (update/TransferTexts.h);
    // null for an outcome that is not a failed transfer.
    const std::string* messageHead;
};

// The row of an outcome; None has a row of its own (an internal error).
const OutcomeFacts& FactsOf(UpdateOutcome outcome);

// Every row, None last.
std::span<const OutcomeFacts> AllOutcomes();

}  // namespace fwut

#include "update/Outcomes.h"

#include <iterator>

#include "update/TransferTexts.h"

namespace fwut {
namespace {

constexpr const char* kAdapterHint =
    "Check the USB/RS232 adapter and its driver ('fwut-cli ports' lists the ports and their devices).";

const OutcomeFacts kOutcomes[] = {
    {UpdateOutcome::Succeeded, "succeeded", "succeeded", kExitSuccess, "", nullptr},
    {UpdateOutcome::PortNotOpened, "port-not-opened", "serial port not usable", kExitPortNotOpened, kAdapterHint,
     nullptr},
    {UpdateOutcome::LineLost, "line-lost", "serial line lost", kExitPortNotOpened,
     "The adapter was unplugged, or its line stopped taking bytes, while the module was awaited: plug it in\n"
     "again (its cable too), check its driver with 'fwut-cli ports', and start again.",
     nullptr},
    {UpdateOutcome::FirmwareFileProblem, "firmware-file-problem", "firmware file problem", kExitFirmwareFile,
     "FieldGatherer_MM_Psion.txt (version, then the HEX file's name) and that HEX file must lie in the\n"
     "program's folder or in --dir; 'fwut-cli check DIR' says what is wrong with them.",
     nullptr},
    {UpdateOutcome::ConversionFailed, "conversion-failed", "firmware not converted", kExitFirmwareFile,
     "The HEX file could not be read, or is no Intel HEX file with 16-bit addresses and an end record;\n"
     "'fwut-cli check DIR' says what is wrong with it.",
     nullptr},
    {UpdateOutcome::FirmwareFileChanged, "firmware-file-changed", "firmware file changed", kExitFirmwareFile,
     "The HEX file was replaced or rewritten with other firmware while the module was awaited (a copy,\n"
     "an editor, a sync tool); nothing was sent. Let that finish, then start the update again.",
     nullptr},
    {UpdateOutcome::TemporaryFile, "temporary-file", "temporary image problem", kExitTemporaryFile,
     "The temporary folder must be writable, and only one update may run at a time.", nullptr},
    {UpdateOutcome::Cancelled, "cancelled", "cancelled", kExitCancelled,
     "The wait for the module was cancelled (Ctrl-C or --wait-timeout). A module answers when the update\n"
     "starts within 15 seconds of its button sequence, with the handheld's wireless application on the\n"
     "Data Transfer item.",
     nullptr},
    {UpdateOutcome::NoResponse, "no-response", "no response", kExitNoResponse,
     "The module stopped answering, or the line to the relay broke: check that the adapter is still\n"
     "plugged in, keep the handheld in its docking station near the module, its wireless application on\n"
     "the Data Transfer item, and start again with the button sequence.",
     &kNoResponseHead},
    {UpdateOutcome::InvalidVersionResponse, "invalid-version-response", "invalid version response",
     kExitInvalidVersionResponse,
     "The boot loader's version was garbled or unknown: check the adapter's cable, that this is a\n"
     "FieldGatherer Mobile Module, and start again with the button sequence.",
     &kInvalidVersionHead},
    {UpdateOutcome::NoReadyResponse, "no-ready-response", "no ready response", kExitNoReadyResponse,
     "The boot loader gave its version but no ready byte: put the module into update mode again\n"
     "(hold Setup, then Read, until both lights go out; release; both blink) and start again.",
     &kNoReadyHead},
    {UpdateOutcome::InvalidReadyResponse, "invalid-ready-response", "invalid ready response", kExitInvalidReadyResponse,
     "The boot loader gave its version, then another byte than its ready byte: noise on the line or a\n"
     "relay that repeats bytes; check the adapter's cable and start again with the button sequence.",
     &kInvalidReadyHead},
    {UpdateOutcome::PageNotAccepted, "page-not-accepted", "page not accepted", kExitInvalidReadyResponse,
     "Pages were answered wrongly or rejected: bring the handheld closer to the module; on a USB adapter\n"
     "set its latency timer to 1 ms (README, Troubleshooting); then start again.",
     &kInvalidReadyHead},
    {UpdateOutcome::Interrupted, "interrupted", "interrupted", kExitInterrupted,
     "The update was stopped before its end (Ctrl-C or a termination request). The module keeps its boot\n"
     "loader: start again with the button sequence, and the whole firmware is sent anew.",
     &kInterruptedHead},
    {UpdateOutcome::None, "internal-error", "internal error", kExitInternalError,
     "The update ended in a way the program does not know: please report it to Fernhollow Systems.", nullptr},
};

}  // namespace

const OutcomeFacts& FactsOf(UpdateOutcome outcome)
{
    for (const OutcomeFacts& facts : kOutcomes) {
        if (facts.outcome == outcome) {
            return facts;
        }
    }
    return kOutcomes[std::size(kOutcomes) - 1];
}

std::span<const OutcomeFacts> AllOutcomes()
{
    return kOutcomes;
}

}  // namespace fwut

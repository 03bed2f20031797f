#include "app/cli/FailureHints.h"

#include "app/ExitCodes.h"

namespace fwut::cli {

const char* FailureHint(int exitCode)
{
    switch (exitCode) {
    case kExitFirmwareFile:
        return "FieldGatherer_MM_Psion.txt (version, then the HEX file's name) and that HEX file must lie in the\n"
               "program's folder or in --dir; 'fwut-cli check DIR' says what is wrong with them.";
    case kExitPortNotOpened:
        return "Check the USB/RS232 adapter and its driver ('fwut-cli ports' lists the ports and their devices).";
    case kExitNoResponse:
        return "The module stopped answering: keep the handheld in its docking station near the module, its\n"
               "wireless application on the Data Transfer item, and start again with the button sequence.";
    case kExitInvalidVersionResponse:
        return "The boot loader's version was garbled or unknown: check the adapter's cable, that this is a\n"
               "FieldGatherer Mobile Module, and start again with the button sequence.";
    case kExitNoReadyResponse:
        return "The boot loader gave its version but no ready byte: put the module into update mode again\n"
               "(hold Setup, then Read, until both lights go out; release; both blink) and start again.";
    case kExitInvalidReadyResponse:
        return "Pages were answered wrongly or rejected: bring the handheld closer to the module; on a USB adapter\n"
               "set its latency timer to 1 ms (README, Troubleshooting); then start again.";
    case kExitTemporaryFile:
        return "The temporary folder must be writable, and only one update may run at a time.";
    case kExitCancelled:
        return "No answer from the module: start the update within 15 seconds of the button sequence, with the\n"
               "handheld's wireless application on the Data Transfer item.";
    default:
        return nullptr;
    }
}

}  // namespace fwut::cli

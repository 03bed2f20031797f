#include "app/ExitCodes.h"

namespace fwut::cli {

int ExitCodeFor(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Succeeded:
        return kExitSuccess;
    case UpdateOutcome::PortNotOpened:
        return kExitPortNotOpened;
    case UpdateOutcome::FirmwareFileProblem:
    case UpdateOutcome::ConversionFailed:
        return kExitFirmwareFile;
    case UpdateOutcome::Cancelled:
        return kExitCancelled;
    case UpdateOutcome::NoResponse:
        return kExitNoResponse;
    case UpdateOutcome::InvalidVersionResponse:
        return kExitInvalidVersionResponse;
    case UpdateOutcome::NoReadyResponse:
        return kExitNoReadyResponse;
    case UpdateOutcome::InvalidReadyResponse:
        return kExitInvalidReadyResponse;
    case UpdateOutcome::TemporaryFile:
        return kExitTemporaryFile;
    case UpdateOutcome::Interrupted:
        return kExitInterrupted;
    case UpdateOutcome::None:
        break;
    }
    return kExitInternalError;
}

}  // namespace fwut::cli

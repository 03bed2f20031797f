#include "update/UpdateEvents.h"

namespace fwut {

const char* OutcomeKey(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Succeeded:
        return "succeeded";
    case UpdateOutcome::PortNotOpened:
        return "port-not-opened";
    case UpdateOutcome::FirmwareFileProblem:
        return "firmware-file-problem";
    case UpdateOutcome::ConversionFailed:
        return "conversion-failed";
    case UpdateOutcome::Cancelled:
        return "cancelled";
    case UpdateOutcome::NoResponse:
        return "no-response";
    case UpdateOutcome::InvalidVersionResponse:
        return "invalid-version-response";
    case UpdateOutcome::NoReadyResponse:
        return "no-ready-response";
    case UpdateOutcome::InvalidReadyResponse:
        return "invalid-ready-response";
    case UpdateOutcome::TemporaryFile:
        return "temporary-file";
    case UpdateOutcome::Interrupted:
        return "interrupted";
    case UpdateOutcome::None:
        break;
    }
    return "none";
}

}  // namespace fwut

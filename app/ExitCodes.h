// The command-line tool's exit codes; the README and --help list them too.
// The update record keeps them for the window's updates as well.
#pragma once

#include "update/UpdateEvents.h"

namespace fwut::cli {

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
};

// The exit code of an update that ended so.
int ExitCodeFor(UpdateOutcome outcome);

}  // namespace fwut::cli

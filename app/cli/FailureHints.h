// What to check after a failed update, one short hint per exit code; the
// README's "Troubleshooting" says the same at more length.
#pragma once

namespace fwut::cli {

// Null for an exit code that needs no hint (success, usage, the operator's own Ctrl-C).
const char* FailureHint(int exitCode);

}  // namespace fwut::cli

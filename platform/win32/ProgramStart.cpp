#include "platform/ProgramStart.h"

namespace fwut::program {

// A Windows program's missing standard handle stays missing: no file or port
// it opens can take its place, and writes to a closed pipe fail without a
// signal.
void Start()
{
}

}  // namespace fwut::program

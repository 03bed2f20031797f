// What a thread whose waits must end on time asks of the kernel.
#pragma once

namespace fwut::posix {

// For the calling thread, once: the smallest timer slack, so that a wait's
// wake-up is not deferred to batch it with others' (50 µs by default, far
// more for background tasks), and the shortest scheduling slice (EEVDF,
// Linux 6.12 on; older kernels ignore it), so that on a busy machine the
// woken thread runs at once instead of after a running one's slice. Neither
// needs a privilege, and neither gives the thread more of the processor.
void PrepareTimelyWakeUps();

}  // namespace fwut::posix

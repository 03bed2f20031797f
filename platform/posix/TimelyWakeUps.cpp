#include "platform/posix/TimelyWakeUps.h"

#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace fwut::posix {
namespace {

// The shortest slice the scheduler grants.
constexpr std::uint64_t kShortSliceNs = 100'000;

// The kernel's struct sched_attr, whose header clashes with <sched.h>.
struct SchedulingAttributes {
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtime;
    std::uint64_t deadline;
    std::uint64_t period;
};

}  // namespace

void PrepareTimelyWakeUps()
{
    thread_local bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // Everything else stays as the user chose it (nice, SCHED_BATCH); a
    // real-time or idle policy is left alone.
    SchedulingAttributes attributes{};
    if (::syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0U) != 0 ||
        (attributes.policy != SCHED_OTHER && attributes.policy != SCHED_BATCH)) {
        return;
    }
    attributes.size = sizeof attributes;
    attributes.runtime = kShortSliceNs;
    ::syscall(SYS_sched_setattr, 0, &attributes, 0U);
}

}  // namespace fwut::posix

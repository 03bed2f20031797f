#include "platform/posix/TimelyWakeUps.h"

#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
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
    SchedulingAttributes attributes{};
    attributes.size = sizeof attributes;
    attributes.policy = SCHED_OTHER;
    attributes.nice = ::getpriority(PRIO_PROCESS, 0);
    attributes.runtime = kShortSliceNs;
    ::syscall(SYS_sched_setattr, 0, &attributes, 0U);
}

}  // namespace fwut::posix

#include "platform/posix/PosixTickClock.h"

#include <time.h>

#include "platform/posix/TimelyWakeUps.h"

namespace fwut {
namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// An idle wait wakes this long before the tick it waits for; the caller polls
// the rest, which absorbs the scheduler's wake-up latency.
constexpr std::int64_t kWakeEarlyNs = 200'000;
// Closer than this to the tick, a sleep would gain too little to be worth it.
constexpr std::int64_t kMinIdleNs = 300'000;
constexpr std::int64_t kBriefIdleNs = 250'000;
constexpr DWORD kLatestAhead = 0x7FFFFFFF;

std::int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNsPerSecond + now.tv_nsec;
}

// Returns early when a signal arrives, so that a waiting loop can look at a
// request to stop; the loop decides whether to wait on.
void SleepUntil(std::int64_t wakeNs)
{
    const timespec at{static_cast<time_t>(wakeNs / kNsPerSecond), static_cast<long>(wakeNs % kNsPerSecond)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
}

}  // namespace

PosixTickClock::PosixTickClock(DWORD startTick) : m_origin(MonotonicNs()), m_startTick(startTick)
{
}

DWORD PosixTickClock::GetTickCount()
{
    return m_startTick + static_cast<DWORD>((MonotonicNs() - m_origin) / kNsPerMs);
}

void PosixTickClock::Sleep(DWORD ms)
{
    const std::int64_t wakeNs = MonotonicNs() + static_cast<std::int64_t>(ms) * kNsPerMs;
    while (MonotonicNs() < wakeNs) {
        SleepUntil(wakeNs);
    }
}

void PosixTickClock::IdleUntilTick(DWORD targetTick)
{
    const std::int64_t now = MonotonicNs();
    const std::int64_t elapsedMs = (now - m_origin) / kNsPerMs;
    const DWORD ahead = targetTick - (m_startTick + static_cast<DWORD>(elapsedMs));
    if (ahead == 0 || ahead > kLatestAhead) {
        return;  // reached or already past
    }
    const std::int64_t reachedAt = m_origin + (elapsedMs + ahead) * kNsPerMs;
    if (reachedAt - now <= kMinIdleNs) {
        return;
    }
    posix::PrepareTimelyWakeUps();
    SleepUntil(reachedAt - kWakeEarlyNs);
}

void PosixTickClock::IdleBriefly()
{
    posix::PrepareTimelyWakeUps();
    SleepUntil(MonotonicNs() + kBriefIdleNs);
}

}  // namespace fwut

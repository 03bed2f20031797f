#include "platform/win32/Win32TickClock.h"

#include <timeapi.h>

namespace fwut {
namespace {

constexpr DWORD kWakeEarlyMs = 2;
constexpr DWORD kLatestAhead = 0x7FFFFFFF;
constexpr LONGLONG kBriefIdle100ns = -2500;  // relative, 250 microseconds
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif

std::int64_t PerformanceCount()
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::int64_t PerformanceFrequency()
{
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

}  // namespace

Win32TickClock::Win32TickClock(DWORD startTick)
    : m_origin(PerformanceCount()),
      m_frequency(PerformanceFrequency()),
      m_startTick(startTick),
      m_briefTimer(::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                           TIMER_ALL_ACCESS))
{
    ::timeBeginPeriod(1);
}

Win32TickClock::~Win32TickClock()
{
    ::timeEndPeriod(1);
    if (m_briefTimer != nullptr) {
        ::CloseHandle(m_briefTimer);
    }
}

DWORD Win32TickClock::GetTickCount()
{
    const std::int64_t elapsed = PerformanceCount() - m_origin;
    // Whole seconds and the remainder separately, so the product cannot overflow.
    const std::int64_t ms = elapsed / m_frequency * 1000 + elapsed % m_frequency * 1000 / m_frequency;
    return m_startTick + static_cast<DWORD>(ms);
}

void Win32TickClock::Sleep(DWORD ms)
{
    ::Sleep(ms);
}

void Win32TickClock::IdleUntilTick(DWORD targetTick)
{
    const DWORD ahead = targetTick - GetTickCount();
    if (ahead <= kWakeEarlyMs || ahead > kLatestAhead) {
        return;  // close enough to poll, or already past
    }
    ::Sleep(ahead - kWakeEarlyMs);
}

void Win32TickClock::IdleBriefly()
{
    LARGE_INTEGER due{};
    due.QuadPart = kBriefIdle100ns;
    if (m_briefTimer != nullptr && ::SetWaitableTimer(m_briefTimer, &due, 0, nullptr, nullptr, FALSE)) {
        ::WaitForSingleObject(m_briefTimer, INFINITE);
        return;
    }
    ::Sleep(0);
}

}  // namespace fwut

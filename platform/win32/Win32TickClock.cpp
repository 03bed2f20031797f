#include "platform/win32/Win32TickClock.h"

#include <timeapi.h>

namespace fwut {
namespace {

constexpr DWORD kWakeEarlyMs = 2;
constexpr DWORD kLatestAhead = 0x7FFFFFFF;
constexpr LONGLONG k100nsPerMs = 10000;
constexpr LONGLONG kBriefIdle100ns = 2500;  // 250 microseconds
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif

using CreateWaitableTimerExWFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
using SetProcessInformationFunction = BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);

template <typename Function> Function Kernel32Function(const char* name)
{
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    const FARPROC found = kernel32 != nullptr ? ::GetProcAddress(kernel32, name) : nullptr;
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Null where the system has no high-resolution timer: before Windows 10
// 1803 the flag is refused.
HANDLE CreateHighResolutionTimer()
{
    const auto create = Kernel32Function<CreateWaitableTimerExWFunction>("CreateWaitableTimerExW");
    return create != nullptr ? create(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS)
                             : nullptr;
}

// Windows 11 ignores timeBeginPeriod for a process whose windows cannot be
// seen unless the process opts out of that throttling (Windows 8 and later
// have the call; earlier ones never throttle).
void KeepTimerResolution()
{
    const auto setInformation = Kernel32Function<SetProcessInformationFunction>("SetProcessInformation");
    if (setInformation == nullptr) {
        return;
    }
    PROCESS_POWER_THROTTLING_STATE state{};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
    state.StateMask = 0;
    setInformation(::GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}

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
    : m_origin(PerformanceCount()), m_frequency(PerformanceFrequency()), m_startTick(startTick),
      m_timer(CreateHighResolutionTimer())
{
    KeepTimerResolution();
    ::timeBeginPeriod(1);
}

Win32TickClock::~Win32TickClock()
{
    ::timeEndPeriod(1);
    if (m_timer != nullptr) {
        ::CloseHandle(m_timer);
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

bool Win32TickClock::SleepOnTimer(LONGLONG relative100ns)
{
    LARGE_INTEGER due{};
    due.QuadPart = -relative100ns;  // negative: relative to now
    if (m_timer == nullptr || !::SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, FALSE)) {
        return false;
    }
    ::WaitForSingleObject(m_timer, INFINITE);
    return true;
}

void Win32TickClock::IdleUntilTick(DWORD targetTick)
{
    const DWORD ahead = targetTick - GetTickCount();
    if (ahead <= kWakeEarlyMs || ahead > kLatestAhead) {
        return;  // close enough to poll, or already past
    }
    if (!SleepOnTimer(static_cast<LONGLONG>(ahead - kWakeEarlyMs) * k100nsPerMs)) {
        ::Sleep(ahead - kWakeEarlyMs);
    }
}

void Win32TickClock::IdleBriefly()
{
    if (!SleepOnTimer(kBriefIdle100ns)) {
        ::Sleep(0);
    }
}

}  // namespace fwut

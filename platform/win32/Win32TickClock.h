// The millisecond tick count from the performance counter. GetTickCount()
// itself advances in steps of about 16 ms, which would stretch every 20 ms
// pause of the transfer to 32 ms; the performance counter has microsecond
// resolution.
//
// Waits sleep on a high-resolution waitable timer where the system has one
// (Windows 10 1803 and later): its precision does not depend on the system
// timer's resolution, which Windows 11 stops raising for a process whose
// windows are minimised or hidden, turning a 20 ms pause into about 31 ms.
// Elsewhere they sleep with Sleep() after timeBeginPeriod(1), held for the
// lifetime of the clock. Either way the process asks Windows not to ignore
// that request (power throttling of the timer resolution). Both calls are
// looked up at run time, since older systems lack them.
#pragma once

#include <cstdint>

#include "platform/TickClock.h"

namespace fwut {

class Win32TickClock final : public TickClock {
public:
    explicit Win32TickClock(DWORD startTick = 0);
    ~Win32TickClock() override;
    Win32TickClock(const Win32TickClock&) = delete;
    Win32TickClock& operator=(const Win32TickClock&) = delete;

    DWORD GetTickCount() override;
    void Sleep(DWORD ms) override;
    // Sleeps until about 2 ms before the target, then returns so that the
    // caller polls the rest: a wake-up may come a millisecond late.
    void IdleUntilTick(DWORD targetTick) override;
    // About a quarter of a millisecond on the high-resolution timer, else the
    // shortest sleep the system has.
    void IdleBriefly() override;

    // Whether waits sleep on a high-resolution waitable timer.
    bool HasHighResolutionTimer() const { return m_timer != nullptr; }

private:
    bool SleepOnTimer(LONGLONG relative100ns);

    std::int64_t m_origin;
    std::int64_t m_frequency;
    DWORD m_startTick;
    HANDLE m_timer;
};

}  // namespace fwut

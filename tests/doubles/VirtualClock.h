// A tick count that moves only when a wait, or the test's message loop, asks
// to pass time: a wait of any length costs no real time.
#pragma once

#include <vector>

#include "platform/TickClock.h"

namespace fwut {

class VirtualClock final : public TickClock {
public:
    explicit VirtualClock(DWORD start = 0) : m_now(start) { }

    DWORD GetTickCount() override { return m_now; }
    // Recorded, then time jumps ms ahead.
    void Sleep(DWORD ms) override;
    // Jumps to targetTick unless it is reached or already past.
    void IdleUntilTick(DWORD targetTick) override;
    // One millisecond passes.
    void IdleBriefly() override;

    // The message loop's own waits.
    void Advance(DWORD ms) { m_now += ms; }

    const std::vector<DWORD>& SleepCalls() const { return m_sleepCalls; }

private:
    DWORD m_now;
    std::vector<DWORD> m_sleepCalls;
};

}  // namespace fwut

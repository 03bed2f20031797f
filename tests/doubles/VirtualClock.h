// A tick count that moves only when told to, or when a wait asks to pass time:
// a wait of any length costs no real time, and a scripted device can hand
// over its bytes at chosen virtual moments through the time-moved callback.
#pragma once

#include <functional>
#include <vector>

#include "platform/TickClock.h"

namespace fwut {

class VirtualClock final : public TickClock {
public:
    explicit VirtualClock(DWORD start = 0) : m_now(start) {}

    DWORD GetTickCount() override { return m_now; }
    // Recorded, then time jumps ms ahead.
    void Sleep(DWORD ms) override;
    // Jumps to targetTick unless it is reached or already past.
    void IdleUntilTick(DWORD targetTick) override;
    // One millisecond passes.
    void IdleBriefly() override;

    void Set(DWORD now);
    void Advance(DWORD ms);

    const std::vector<DWORD>& SleepCalls() const { return m_sleepCalls; }

    // Called with the new count every time the count changes.
    void OnTimeMoved(std::function<void(DWORD now)> callback) { m_onTimeMoved = std::move(callback); }

private:
    DWORD m_now;
    std::vector<DWORD> m_sleepCalls;
    std::function<void(DWORD)> m_onTimeMoved;
};

}  // namespace fwut

// The serial wire between the program and the simulated relay. Unthrottled, a
// byte arrives when the pseudo-terminal delivers it and an answer leaves at
// once. Throttled, the wire's pace (line rate / 10 bytes per second, 8N1) is
// emulated in both directions: a received byte reaches the relay no earlier
// than one byte time after the previous one, and answers leave no faster.
// Pauses are still judged on the program's writes: a program that waits for
// its bytes to leave (as a Windows serial write does, and tcdrain) keeps its
// pauses on a real wire, which a pseudo-terminal cannot show.
#pragma once

#include "tools/sim/SimTypes.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace fwut::sim {

class Wire {
public:
    explicit Wire(bool throttle);

    // Bytes read together; `stamp` carries their real arrival and line settings.
    void Receive(const std::uint8_t* data, std::size_t size, const RxByte& stamp);
    // The next received byte whose arrival time has come.
    std::optional<RxByte> TakeDueRx(Millis now);
    bool RxPending() const { return !m_rx.empty(); }

    // Queues an answer from `at` on, at least `spacing` ms between bytes;
    // returns when its last byte leaves.
    Millis ScheduleTx(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, const LineSample& line);
    // The answer bytes due by `now`; ConsumeTx takes away those that were written.
    std::vector<std::uint8_t> DueTx(Millis now) const;
    void ConsumeTx(std::size_t count);
    void DropTx() { m_tx.clear(); }

    // When the earliest queued byte falls due, if any is queued.
    std::optional<Millis> NextDue() const;

private:
    struct TxByte {
        std::uint8_t value;
        Millis due;
    };

    Millis ByteTime(const LineSample& line) const;

    bool m_throttle;
    std::deque<RxByte> m_rx;
    std::deque<TxByte> m_tx;
    Millis m_lastRx = 0;
    Millis m_lastTx = 0;
};

}  // namespace fwut::sim

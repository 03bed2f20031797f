#include "tools/sim/Wire.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>

namespace fwut::sim {

namespace {

constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

}  // namespace

Wire::Wire(bool throttle) : m_throttle(throttle)
{
}

Millis Wire::ByteTime(const LineSample& line) const
{
    if (!m_throttle) {
        return 0;
    }
    const int baud = line.baud > 0 ? line.baud : protocol::kWorkingRate;
    return kBitsPerByte * 1000.0 / baud;
}

void Wire::Receive(const std::uint8_t* data, std::size_t size, const RxByte& stamp)
{
    for (std::size_t i = 0; i < size; ++i) {
        RxByte byte = stamp;
        byte.value = data[i];
        m_lastRx = std::max(stamp.time, m_lastRx + ByteTime(stamp.line));
        byte.due = m_lastRx;
        m_rx.push_back(byte);
    }
}

std::optional<RxByte> Wire::TakeDueRx(Millis now)
{
    if (m_rx.empty() || m_rx.front().due > now) {
        return std::nullopt;
    }
    const RxByte byte = m_rx.front();
    m_rx.pop_front();
    return byte;
}

Millis Wire::ScheduleTx(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, const LineSample& line)
{
    Millis due = std::max(at, m_lastTx + ByteTime(line));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            due += std::max(spacing, ByteTime(line));
        }
        m_tx.push_back(TxByte{bytes[i], due});
    }
    if (!bytes.empty()) {
        m_lastTx = due;
    }
    return due;
}

std::vector<std::uint8_t> Wire::DueTx(Millis now) const
{
    std::vector<std::uint8_t> bytes;
    for (const TxByte& byte : m_tx) {
        if (byte.due > now) {
            break;
        }
        bytes.push_back(byte.value);
    }
    return bytes;
}

void Wire::ConsumeTx(std::size_t count)
{
    m_tx.erase(m_tx.begin(), m_tx.begin() + static_cast<std::ptrdiff_t>(std::min(count, m_tx.size())));
}

std::optional<Millis> Wire::NextDue() const
{
    std::optional<Millis> next;
    if (!m_rx.empty()) {
        next = m_rx.front().due;
    }
    if (!m_tx.empty()) {
        next = std::min(m_tx.front().due, next.value_or(m_tx.front().due));
    }
    return next;
}

}  // namespace fwut::sim

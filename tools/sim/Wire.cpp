#include "tools/sim/Wire.h"

#include "tools/sim/RelayProtocol.h"

#include <algorithm>

namespace fwut::sim {

namespace {

constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

}  // namespace

Wire::Wire(bool throttle) : throttle_(throttle)
{
}

Millis Wire::byteTime(const LineSample& line) const
{
    if (!throttle_)
        return 0;
    const int baud = line.baud > 0 ? line.baud : protocol::kWorkingRate;
    return kBitsPerByte * 1000.0 / baud;
}

void Wire::receive(const std::uint8_t* data, std::size_t size, const RxByte& stamp)
{
    for (std::size_t i = 0; i < size; ++i) {
        RxByte byte = stamp;
        byte.value = data[i];
        lastRx_ = std::max(stamp.time, lastRx_ + byteTime(stamp.line));
        byte.due = lastRx_;
        rx_.push_back(byte);
    }
}

std::optional<RxByte> Wire::takeDueRx(Millis now)
{
    if (rx_.empty() || rx_.front().due > now)
        return std::nullopt;
    const RxByte byte = rx_.front();
    rx_.pop_front();
    return byte;
}

Millis Wire::scheduleTx(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, const LineSample& line)
{
    Millis due = std::max(at, lastTx_ + byteTime(line));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            due += std::max(spacing, byteTime(line));
        tx_.push_back(TxByte{bytes[i], due});
    }
    if (!bytes.empty())
        lastTx_ = due;
    return due;
}

std::vector<std::uint8_t> Wire::dueTx(Millis now) const
{
    std::vector<std::uint8_t> bytes;
    for (const TxByte& byte : tx_) {
        if (byte.due > now)
            break;
        bytes.push_back(byte.value);
    }
    return bytes;
}

void Wire::consumeTx(std::size_t count)
{
    tx_.erase(tx_.begin(), tx_.begin() + static_cast<std::ptrdiff_t>(std::min(count, tx_.size())));
}

std::optional<Millis> Wire::nextDue() const
{
    std::optional<Millis> next;
    if (!rx_.empty())
        next = rx_.front().due;
    if (!tx_.empty())
        next = std::min(tx_.front().due, next.value_or(tx_.front().due));
    return next;
}

}  // namespace fwut::sim

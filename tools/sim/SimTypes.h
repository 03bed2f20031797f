// Small value types shared by the simulator's parts: the time base, the line
// settings sampled from the pseudo-terminal, and one received byte.
#pragma once

#include <cstdint>
#include <string>

namespace fwut::sim {

// Milliseconds since the simulator started (fractional: the transcript shows 0.1 ms).
using Millis = double;

// The line settings that the program had set on its side of the pseudo-terminal
// when a byte arrived.
struct LineSample {
    int baud = 0;  // 0 when the rate is none of the standard ones
    int dataBits = 8;
    char parity = 'N';
    int stopBits = 1;

    bool IsEightNoneOne() const { return dataBits == 8 && parity == 'N' && stopBits == 1; }
    bool operator==(const LineSample&) const = default;
    // "57600", or "57600/7E1" when the format is not 8N1.
    std::string Describe() const;
};

struct RxByte {
    std::uint8_t value = 0;
    Millis time = 0;  // arrival from the program, when its write reached the line
    Millis due = 0;  // when the relay has it: later on a throttled wire
    LineSample line;
    // How much earlier the byte may have arrived: the time since the
    // simulator last found the line empty. Large when it was kept from
    // running; pauses are then judged in the program's favour.
    Millis slack = 0;
};

// "1 page", "2 pages"
std::string CountOf(long count, const std::string& noun);

// "3C 24 3A", at most maxBytes bytes, "..." after a longer run.
std::string HexBytes(const std::uint8_t* data, std::size_t size, std::size_t maxBytes = 24);

}  // namespace fwut::sim

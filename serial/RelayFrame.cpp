#include "serial/RelayFrame.h"

#include <cstring>

namespace fwut {

namespace {
constexpr std::uint8_t kFixedHeader[12] = {0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46};
}

std::size_t BuildRelayFrame(const std::uint8_t* payload, int n, std::uint8_t (&frame)[kRelayFrameBufferSize])
{
    // L counts every byte after the seven-character head: 12 + 1 + n + 2.
    const int count = n + 15;
    std::memcpy(frame, "<$:P", 4);
    frame[4] = static_cast<std::uint8_t>('0' + count / 100 % 10);
    frame[5] = static_cast<std::uint8_t>('0' + count / 10 % 10);
    frame[6] = static_cast<std::uint8_t>('0' + count % 10);
    std::memcpy(frame + 7, kFixedHeader, sizeof kFixedHeader);
    frame[19] = static_cast<std::uint8_t>(n);
    std::memcpy(frame + 20, payload, static_cast<std::size_t>(n));
    frame[20 + n] = 0x00;
    frame[21 + n] = 0x00;
    return static_cast<std::size_t>(n + kRelayFrameOverhead);
}

}  // namespace fwut

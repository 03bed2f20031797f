// The relay packet frame: everything meant for the module travels through the
// relay wrapped in one of these.
//
//   "<$:P"  L (three ASCII digits, L = n + 15)  41 8C 11 EE EE FF FF 00 00 22 00 46
//   n (one byte)  n payload bytes  00 00
#pragma once

#include <cstddef>
#include <cstdint>

namespace fwut {

constexpr int kRelayFrameMaxPayload = 86;
constexpr int kRelayFrameOverhead = 22;
// The frame is built in a buffer of this size; the longest frame is 108 bytes.
constexpr std::size_t kRelayFrameBufferSize = 150;

// Builds the frame for payload[0 .. n-1] (1 <= n <= 86) into frame and
// returns its length, n + 22.
std::size_t BuildRelayFrame(const std::uint8_t* payload, int n, std::uint8_t (&frame)[kRelayFrameBufferSize]);

}  // namespace fwut

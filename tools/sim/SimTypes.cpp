#include "tools/sim/SimTypes.h"

#include <cstdio>

namespace fwut::sim {

std::string LineSample::Describe() const
{
    std::string text = baud > 0 ? std::to_string(baud) : "?";
    if (!IsEightNoneOne()) {
        text += "/" + std::to_string(dataBits) + parity + std::to_string(stopBits);
    }
    return text;
}

std::string CountOf(long count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string HexBytes(const std::uint8_t* data, std::size_t size, std::size_t maxBytes)
{
    std::string text;
    for (std::size_t i = 0; i < size && i < maxBytes; ++i) {
        char piece[4];
        std::snprintf(piece, sizeof piece, "%02X", data[i]);
        if (!text.empty()) {
            text += ' ';
        }
        text += piece;
    }
    if (size > maxBytes) {
        text += " ...";
    }
    return text;
}

}  // namespace fwut::sim

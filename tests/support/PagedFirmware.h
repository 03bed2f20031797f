// Firmware for tests that need a whole image of known pages: its Intel HEX
// text (CR LF line ends) and the image the module must end up with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fwut::test {

// Intel HEX for an image of `pages` pages whose byte at address a is (a * 7 + 3) & 0xFF.
inline std::string HexForPages(int pages)
{
    std::string hex;
    char line[64];
    for (int address = 0; address < pages * 256; address += 16) {
        unsigned sum = 16 + (address >> 8) + (address & 0xFF);
        std::snprintf(line, sizeof line, ":10%04X00", address);
        hex += line;
        for (int k = 0; k < 16; ++k) {
            const unsigned byte = static_cast<unsigned>((address + k) * 7 + 3) & 0xFF;
            sum += byte;
            std::snprintf(line, sizeof line, "%02X", byte);
            hex += line;
        }
        std::snprintf(line, sizeof line, "%02X\r\n", (256 - sum % 256) % 256);
        hex += line;
    }
    return hex + ":00000001FF\r\n";
}

inline std::vector<std::uint8_t> ImageForPages(int pages)
{
    std::vector<std::uint8_t> image(static_cast<std::size_t>(pages) * 256);
    for (std::size_t a = 0; a < image.size(); ++a) {
        image[a] = static_cast<std::uint8_t>((a * 7 + 3) & 0xFF);
    }
    return image;
}

}  // namespace fwut::test

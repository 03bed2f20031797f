// Correct Intel HEX records for the firmware-file tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "update/HexImage.h"

namespace fwut::test {

// One record line with a correct checksum, without its line end.
inline std::string Record(unsigned address, unsigned type, const std::vector<std::uint8_t>& data)
{
    char field[3];
    std::string line = ":";
    unsigned sum = 0;
    const auto append = [&](unsigned value) {
        std::snprintf(field, sizeof field, "%02X", value & 0xFFu);
        line += field;
        sum += value;
    };
    append(static_cast<unsigned>(data.size()));
    append(address >> 8);
    append(address & 0xFFu);
    append(type);
    for (const auto byte : data) {
        append(byte);
    }
    append((256 - sum % 256) % 256);
    return line;
}

inline std::string DataRecord(unsigned address, const std::vector<std::uint8_t>& data)
{
    return Record(address, 0x00, data);
}

inline const std::string kEndRecord = ":00000001FF";

// Converts, then lets go of the finished image as the transfer's end does.
inline HexImageResult ConvertAndRelease(const std::string& hexPath, const std::string& imagePath)
{
    files::BinaryFile image;
    return ConvertHexFileToImage(hexPath, imagePath, image);
}

}  // namespace fwut::test

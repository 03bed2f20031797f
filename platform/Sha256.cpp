#include "platform/Sha256.h"

namespace fwut {

std::string Sha256Hex(const void* data, std::size_t size)
{
    unsigned char digest[kSha256Size];
    if (!Sha256(data, size, digest)) {
        return std::string();
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

}  // namespace fwut

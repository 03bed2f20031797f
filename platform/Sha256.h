// SHA-256 of a byte block, as lower-case hex: the fingerprint by which an
// update record, the JSON output and `fwut-cli check` name the image sent.
#pragma once

#include <cstddef>
#include <string>

namespace fwut {

inline constexpr std::size_t kSha256Size = 32;

// The digest from the system's hash service (one file per system); false
// when the service fails.
bool Sha256(const void* data, std::size_t size, unsigned char (&digest)[kSha256Size]);

// Empty when the system's hash service fails.
std::string Sha256Hex(const void* data, std::size_t size);

}  // namespace fwut

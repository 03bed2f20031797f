#include "platform/Sha256.h"

#include <openssl/evp.h>

namespace fwut {

bool Sha256(const void* data, std::size_t size, unsigned char (&digest)[kSha256Size])
{
    return EVP_Digest(data, size, digest, nullptr, EVP_sha256(), nullptr) == 1;
}

}  // namespace fwut

#include "platform/Sha256.h"

#include <windows.h>
#include <bcrypt.h>

namespace fwut {

bool Sha256(const void* data, std::size_t size, unsigned char (&digest)[kSha256Size])
{
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool done = BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    done = done && BCRYPT_SUCCESS(::BCryptHashData(hash, static_cast<PUCHAR>(const_cast<void*>(data)),
                                                   static_cast<ULONG>(size), 0));
    done = done && BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest, kSha256Size, 0));
    if (hash != nullptr) {
        ::BCryptDestroyHash(hash);
    }
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
    return done;
}

}  // namespace fwut

// MD5 (RFC 1321), the package's integrity values and chain keys. Natively it
// comes from OpenSSL's libcrypto, in the Windows build from CryptoAPI.
#pragma once

#include <cstdint>

namespace package {

inline constexpr uint32_t MD5_DIGEST_SIZE = 16;

// Writes the 16-byte digest of `length` bytes at `data` to `out`. Returns 1 on
// success, 0 when the MD5 facility failed (then `out` is zeroed, which no
// stored digest of real content equals by chance in practice).
int Md5Digest(const void* data, uint32_t length, uint8_t out[MD5_DIGEST_SIZE]);

}  // namespace package

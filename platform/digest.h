// Platform operations that compute digests: MD5 (RFC 1321), the package's
// integrity values and chain keys. Unlike the other operations it is a real
// implementation in both builds (CryptoAPI on Windows, OpenSSL's libcrypto on
// the host), so host tools use it without the in-memory fake.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr uint32_t MD5_DIGEST_SIZE = 16;

// Writes the 16-byte digest of `length` bytes at `data` to `out`. Returns 1 on
// success, 0 when the MD5 facility failed (then `out` is zeroed, which no
// stored digest of real content equals by chance in practice).
int Md5Digest(const void* data, uint32_t length, uint8_t out[MD5_DIGEST_SIZE]);

}  // namespace platform

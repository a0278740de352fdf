// MD5 for the host build, from OpenSSL's libcrypto one-shot digest.
#include <openssl/evp.h>

#include <cstring>

#include "platform/digest.h"

namespace platform {

int Md5Digest(const void* data, uint32_t length, uint8_t out[MD5_DIGEST_SIZE]) {
  // libcrypto wants a real pointer even for the empty message.
  static const uint8_t kEmpty = 0;
  const void* input = (data == nullptr || length == 0) ? &kEmpty : data;
  unsigned int written = 0;
  if (EVP_Digest(input, length, out, &written, EVP_md5(), nullptr) != 1 ||
      written != MD5_DIGEST_SIZE) {
    std::memset(out, 0, MD5_DIGEST_SIZE);
    return 0;
  }
  return 1;
}

}  // namespace platform

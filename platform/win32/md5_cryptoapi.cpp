// MD5 for the Windows build, from the system's CryptoAPI provider.
#include <windows.h>
#include <wincrypt.h>

#include "package/bytes.h"
#include "package/md5.h"

namespace package {
namespace {

// Owns a cryptographic provider context.
struct ProviderHandle {
  HCRYPTPROV value = 0;
  ProviderHandle() = default;
  ProviderHandle(const ProviderHandle&) = delete;
  ProviderHandle& operator=(const ProviderHandle&) = delete;
  ProviderHandle(ProviderHandle&& other) noexcept : value(other.value) { other.value = 0; }
  ProviderHandle& operator=(ProviderHandle&&) = delete;
  ~ProviderHandle() {
    if (value != 0) {
      CryptReleaseContext(value, 0);
    }
  }
};

// Owns a hash object; must be destroyed before its provider.
struct HashHandle {
  HCRYPTHASH value = 0;
  HashHandle() = default;
  HashHandle(const HashHandle&) = delete;
  HashHandle& operator=(const HashHandle&) = delete;
  ~HashHandle() {
    if (value != 0) {
      CryptDestroyHash(value);
    }
  }
};

// CRYPT_VERIFYCONTEXT: no key container is needed for hashing, and none is
// created or opened (which could fail for users without a profile).
int AcquireProvider(ProviderHandle& provider) {
  return CryptAcquireContextA(&provider.value, nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT)
             ? 1
             : 0;
}

// Acquiring a provider costs far more than hashing a small entry (several
// milliseconds each time under Wine), so one context serves the whole
// process. A verify-only context may be shared by threads; each digest still
// has its own hash object.
const ProviderHandle& SharedProvider() {
  static const ProviderHandle shared = [] {
    ProviderHandle provider;
    AcquireProvider(provider);
    return provider;
  }();
  return shared;
}

int ComputeDigest(const void* data, uint32_t length, uint8_t out[MD5_DIGEST_SIZE]) {
  // Should the shared context be missing, a context of this call's own is
  // tried, so a passing failure at first use is not remembered for ever.
  ProviderHandle ownProvider;
  HCRYPTPROV provider = SharedProvider().value;
  if (provider == 0) {
    if (AcquireProvider(ownProvider) != 1) {
      return 0;
    }
    provider = ownProvider.value;
  }
  HashHandle hash;
  if (!CryptCreateHash(provider, CALG_MD5, 0, 0, &hash.value)) {
    return 0;
  }
  if (length != 0 &&
      !CryptHashData(hash.value, static_cast<const BYTE*>(data), length, 0)) {
    return 0;
  }
  DWORD size = MD5_DIGEST_SIZE;
  if (!CryptGetHashParam(hash.value, HP_HASHVAL, out, &size, 0) || size != MD5_DIGEST_SIZE) {
    return 0;
  }
  return 1;
}

}  // namespace

int Md5Digest(const void* data, uint32_t length, uint8_t out[MD5_DIGEST_SIZE]) {
  if (ComputeDigest(data, length, out) != 1) {
    ZeroBytes(out, MD5_DIGEST_SIZE);
    return 0;
  }
  return 1;
}

}  // namespace package

// MD5 for the Windows build, from the system's CryptoAPI provider.
#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "platform/digest.h"

namespace platform {
namespace {

// Owns a cryptographic provider context.
struct ProviderHandle {
  HCRYPTPROV value = 0;
  ProviderHandle() = default;
  ProviderHandle(const ProviderHandle&) = delete;
  ProviderHandle& operator=(const ProviderHandle&) = delete;
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
// has its own hash object. The first caller to publish its context wins; a
// thread that loses the race releases its own. The shared context lives until
// the process ends (the system releases it then), so there is no exit-time
// destructor and no run-time lock for a function-local static.
PVOID volatile sharedProvider = nullptr;

HCRYPTPROV SharedProvider() {
  // A compare-exchange that changes nothing is an ordered read.
  const PVOID known = InterlockedCompareExchangePointer(&sharedProvider, nullptr, nullptr);
  if (known != nullptr) {
    return reinterpret_cast<HCRYPTPROV>(known);
  }
  ProviderHandle provider;
  if (AcquireProvider(provider) != 1 || provider.value == 0) {
    return 0;
  }
  const PVOID earlier = InterlockedCompareExchangePointer(
      &sharedProvider, reinterpret_cast<PVOID>(provider.value), nullptr);
  if (earlier != nullptr) {
    return reinterpret_cast<HCRYPTPROV>(earlier);  // another thread's; ours is released
  }
  const HCRYPTPROV kept = provider.value;
  provider.value = 0;  // owned by the process from now on
  return kept;
}

int ComputeDigest(const void* data, uint32_t length, uint8_t out[MD5_DIGEST_SIZE]) {
  // Should the shared context be missing, a context of this call's own is
  // tried, so a passing failure at first use is not remembered for ever.
  ProviderHandle ownProvider;
  HCRYPTPROV provider = SharedProvider();
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
    std::memset(out, 0, MD5_DIGEST_SIZE);
    return 0;
  }
  return 1;
}

}  // namespace platform

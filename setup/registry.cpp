// Registry helpers of the setup procedures, over the platform's registry seam.
#include "setup/registry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace setup {

using platform::RegistryKey;
using platform::RegistryResult;

int WriteMachineString(const char* subKey, const char* valueName, const char* text) {
  if (subKey == nullptr || text == nullptr) {
    return 0;
  }
  size_t length = std::strlen(text);
  if (length >= std::numeric_limits<uint32_t>::max()) {
    return 0;
  }
  RegistryKey key;
  if (platform::OpenRegistryKey(platform::REGISTRY_HKLM, subKey, platform::REGISTRY_ACCESS_DEFAULT,
                                key) != platform::REGISTRY_OK &&
      platform::CreateRegistryKey(platform::REGISTRY_HKLM, subKey, key) != platform::REGISTRY_OK) {
    return 0;
  }
  // The terminator is part of the data: readers of REG_SZ values are entitled
  // to expect it, and a value without it reads back as unterminated text.
  RegistryResult stored = platform::SetRegistryString(key.Get(), valueName, text,
                                                      static_cast<uint32_t>(length + 1));
  return stored == platform::REGISTRY_OK ? 1 : 0;
}

int ReadUserString(const char* subKey, const char* valueName, char* out, size_t outSize) {
  if (subKey == nullptr || out == nullptr || outSize == 0) {
    return 0;
  }
  uint8_t area[REGISTRY_READ_AREA];
  area[0] = 0;
  uint32_t byteCount = REGISTRY_READ_AREA;
  uint32_t type = platform::REGISTRY_TYPE_SZ;
  RegistryResult queried;
  {
    RegistryKey key;
    if (platform::OpenRegistryKey(platform::REGISTRY_HKCU, subKey,
                                  platform::REGISTRY_ACCESS_DEFAULT, key) != platform::REGISTRY_OK) {
      return 0;
    }
    queried = platform::QueryRegistryValue(key.Get(), valueName, type, area, byteCount);
  }
  if (type != platform::REGISTRY_TYPE_SZ || queried != platform::REGISTRY_OK) {
    return 0;
  }
  size_t taken = std::min<size_t>({byteCount, REGISTRY_READ_COPY_LIMIT, REGISTRY_READ_AREA});
  const void* zero = std::memchr(area, 0, taken);
  size_t textLength = zero != nullptr ? static_cast<const uint8_t*>(zero) - area : taken;
  if (textLength + 1 > outSize) {
    return 0;
  }
  // A bounded copy: the text, then zeros over the rest of the taken bytes as
  // far as the caller's area goes, and always one terminator.
  std::memcpy(out, area, textLength);
  size_t end = std::max(textLength + 1, std::min(taken, outSize));
  std::memset(out + textLength, 0, end - textLength);
  return 1;
}

int DeleteKeyTree(platform::RegistryKeyId root, const char* subKey) {
  // An empty path would name the root itself and take every key under it.
  if (subKey == nullptr || subKey[0] == '\0') {
    return 0;
  }
  RegistryKey key;
  if (platform::OpenRegistryKey(root, subKey, platform::REGISTRY_ACCESS_LIST_AND_DELETE, key) !=
      platform::REGISTRY_OK) {
    return 0;
  }
  char name[REGISTRY_SUBKEY_NAME_AREA];
  for (;;) {
    uint32_t capacity = REGISTRY_SUBKEY_NAME_AREA - 1;
    RegistryResult listed = platform::EnumRegistrySubKey(key.Get(), 0, name, capacity);
    if (listed == platform::REGISTRY_NO_MORE_ITEMS) {
      return platform::DeleteRegistryKey(root, subKey) == platform::REGISTRY_OK ? 1 : 0;
    }
    if (listed != platform::REGISTRY_OK) {
      return 0;
    }
    // A sub-key that stays would be listed first again on every pass, so the
    // first one that cannot be removed ends the walk.
    if (DeleteKeyTree(key.Get(), name) != 1) {
      return 0;
    }
  }
}

}  // namespace setup

// Registry helpers of the setup procedures, over the platform's registry seam.
#include "setup/registry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/answers.h"

namespace setup {

using platform::RegistryKey;
using platform::RegistryResult;

int WriteMachineString(const char* subKey, const char* valueName, const char* text) {
  if (subKey == nullptr || text == nullptr) {
    return platform::ANSWER_NO;
  }
  size_t length = std::strlen(text);
  if (length >= std::numeric_limits<uint32_t>::max()) {
    return platform::ANSWER_NO;
  }
  RegistryKey key;
  if (platform::OpenRegistryKey(platform::REGISTRY_HKLM, subKey, platform::REGISTRY_ACCESS_DEFAULT,
                                key) != platform::REGISTRY_OK &&
      platform::CreateRegistryKey(platform::REGISTRY_HKLM, subKey, key) != platform::REGISTRY_OK) {
    return platform::ANSWER_NO;
  }
  // The terminator is part of the data: readers of REG_SZ values are entitled
  // to expect it, and a value without it reads back as unterminated text.
  RegistryResult stored = platform::SetRegistryString(key.Get(), valueName, text,
                                                      static_cast<uint32_t>(length + 1));
  return stored == platform::REGISTRY_OK ? platform::ANSWER_YES : platform::ANSWER_NO;
}

int ReadUserString(const char* subKey, const char* valueName, char* out, size_t outSize) {
  return ReadUserText(subKey, valueName, out, outSize) == USER_TEXT_READ ? platform::ANSWER_YES
                                                                         : platform::ANSWER_NO;
}

int ReadUserText(const char* subKey, const char* valueName, char* out, size_t outSize) {
  if (subKey == nullptr || out == nullptr || outSize == 0) {
    return USER_TEXT_MISSING;
  }
  uint8_t area[REGISTRY_READ_AREA];
  area[0] = 0;
  uint32_t byteCount = REGISTRY_READ_AREA;
  uint32_t type = platform::REGISTRY_TYPE_SZ;
  // The system's own spelling of the value, when the ANSI one is exact; one
  // byte more than the area, so that a full area with no zero fits too.
  char exact[REGISTRY_READ_AREA + 1];
  exact[0] = '\0';
  RegistryResult queried;
  RegistryResult exactQueried;
  {
    RegistryKey key;
    if (platform::OpenRegistryKey(platform::REGISTRY_HKCU, subKey,
                                  platform::REGISTRY_ACCESS_DEFAULT, key) != platform::REGISTRY_OK) {
      return USER_TEXT_MISSING;
    }
    queried = platform::QueryRegistryValue(key.Get(), valueName, type, area, byteCount);
    exactQueried = queried == platform::REGISTRY_OK && type == platform::REGISTRY_TYPE_SZ
                       ? platform::QueryRegistryTextExact(key.Get(), valueName, exact, sizeof exact)
                       : queried;
  }
  if (type != platform::REGISTRY_TYPE_SZ || queried != platform::REGISTRY_OK) {
    return USER_TEXT_MISSING;
  }
  size_t taken = std::min<size_t>({byteCount, REGISTRY_READ_COPY_LIMIT, REGISTRY_READ_AREA});
  const void* zero = std::memchr(area, 0, taken);
  size_t textLength = zero != nullptr ? static_cast<const uint8_t*>(zero) - area : taken;
  if (textLength + 1 > outSize) {
    return USER_TEXT_MISSING;
  }
  // The ANSI text stands only when it is the exact spelling of what the
  // system holds: a best-fit neighbour names another folder.
  // A text cut at the copy limit is compared as far as it was taken.
  const bool cut = zero == nullptr;
  if (exactQueried != platform::REGISTRY_OK || std::strlen(exact) < textLength ||
      std::memcmp(exact, area, textLength) != 0 || (!cut && exact[textLength] != '\0')) {
    return USER_TEXT_INEXACT;
  }
  // A bounded copy: the text, then zeros over the rest of the taken bytes as
  // far as the caller's area goes, and always one terminator.
  std::memcpy(out, area, textLength);
  size_t end = std::max(textLength + 1, std::min(taken, outSize));
  std::memset(out + textLength, 0, end - textLength);
  return USER_TEXT_READ;
}

namespace {

// Deletes the key `name` (one component) of the held key `parent` with all
// its sub-keys. Every key is opened itself, relative to its held parent, and
// deleted through its own handle: a link at any level is opened as the link,
// which has no sub-keys, and goes as the link, its target untouched. True
// when the key and its whole tree are gone.
bool DeleteHeldTree(platform::RegistryKeyId parent, const char* name) {
  RegistryKey key;
  if (platform::OpenRegistryKeyItself(parent, name, platform::REGISTRY_ACCESS_LIST_AND_DELETE, key) !=
      platform::REGISTRY_OK) {
    return false;
  }
  char subKeyName[REGISTRY_SUBKEY_NAME_AREA];
  for (;;) {
    uint32_t capacity = REGISTRY_SUBKEY_NAME_AREA - 1;
    RegistryResult listed = platform::EnumRegistrySubKey(key.Get(), 0, subKeyName, capacity);
    if (listed == platform::REGISTRY_NO_MORE_ITEMS) {
      return platform::DeleteRegistryKey(key.Get()) == platform::REGISTRY_OK;
    }
    // A name without an exact ANSI form cannot be opened by it, and a
    // best-fit spelling would open another key: the walk ends there.
    if (listed != platform::REGISTRY_OK) {
      return false;
    }
    // A sub-key that stays would be listed first again on every pass, so the
    // first one that cannot be removed ends the walk.
    if (!DeleteHeldTree(key.Get(), subKeyName)) {
      return false;
    }
  }
}

}  // namespace

int DeleteKeyTree(platform::RegistryKeyId root, const char* subKey) {
  // An empty path would name the root itself and take every key under it.
  if (subKey == nullptr || subKey[0] == '\0') {
    return platform::ANSWER_NO;
  }
  char parentPath[REGISTRY_SUBKEY_NAME_AREA];
  if (std::strlen(subKey) >= sizeof parentPath) return platform::ANSWER_NO;
  std::strcpy(parentPath, subKey);
  char* slash = std::strrchr(parentPath, '\\');
  const char* name = slash != nullptr ? slash + 1 : subKey;
  if (name[0] == '\0') return platform::ANSWER_NO;
  if (slash == nullptr) return DeleteHeldTree(root, name) ? platform::ANSWER_YES : platform::ANSWER_NO;
  *slash = '\0';
  // The parent is opened as the system resolves its path (so a 32-bit view
  // is redirected as always), but never through a link at its own place:
  // for the per-user key that is "Kelvane", which the user can make a link.
  RegistryKey parent;
  if (platform::OpenRegistryKeyItself(root, parentPath, platform::REGISTRY_ACCESS_QUERY, parent) !=
          platform::REGISTRY_OK ||
      platform::IsRegistryLink(parent.Get()) != platform::ANSWER_NO) {
    return platform::ANSWER_NO;
  }
  return DeleteHeldTree(parent.Get(), name) ? platform::ANSWER_YES : platform::ANSWER_NO;
}

}  // namespace setup

// Byte-block operations of the package subsystem.
#include "package/bytes.h"

#include <cstring>

#include "platform/answers.h"

namespace package {

void CopyBytes(void* destination, const void* source, uint32_t length) {
  if (destination == source || length == 0) {
    return;
  }
  std::memmove(destination, source, length);
}

int BytesEqual(const void* first, const void* second, uint32_t length) {
  if (first == second || length == 0) {
    return platform::ANSWER_YES;
  }
  return std::memcmp(first, second, length) == 0 ? platform::ANSWER_YES : platform::ANSWER_NO;
}

void ZeroBytes(void* buffer, uint32_t length) {
  if (length == 0) {
    return;
  }
  std::memset(buffer, 0, length);
}

}  // namespace package

// The fake of the system's errors (system_error.h): the last error and the
// messages a test sets.
#include "platform/fake/fake_system_error.h"

#include <cstring>

#include "platform/fake/fake_parts.h"
#include "platform/system_error.h"

namespace platform::fake {

SystemErrorKnobs systemErrorKnobs;

void ResetSystemErrors() { systemErrorKnobs = SystemErrorKnobs{}; }

}  // namespace platform::fake

namespace platform {

uint32_t LastSystemError() { return fake::systemErrorKnobs.lastError; }

int DescribeSystemError(uint32_t code, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  auto found = fake::systemErrorKnobs.texts.find(code);
  const std::string text = found == fake::systemErrorKnobs.texts.end() ? std::string() : found->second;
  if (text.empty() || text.size() >= capacity) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return 1;
}

}  // namespace platform

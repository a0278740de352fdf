// The fake of the system's errors (system_error.h): the last error and the
// messages a test sets.
#include "platform/fake/fake_system_error.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/fake/fake_parts.h"
#include "platform/system_error.h"

namespace platform::fake {

namespace {

struct ErrorState {
  std::mutex lock;
  uint32_t lastError = 0;
  std::map<uint32_t, std::string> errorTexts;
};

ErrorState& TheErrors() {
  static ErrorState state;
  return state;
}

int CopyOut(const std::string& text, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  if (text.empty() || text.size() >= capacity) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return 1;
}

}  // namespace

void ResetSystemErrors() {
  std::lock_guard<std::mutex> guard(TheErrors().lock);
  TheErrors().lastError = 0;
  TheErrors().errorTexts.clear();
}

void SetLastSystemError(uint32_t code) {
  std::lock_guard<std::mutex> guard(TheErrors().lock);
  TheErrors().lastError = code;
}

void SetSystemErrorText(uint32_t code, const std::string& text) {
  std::lock_guard<std::mutex> guard(TheErrors().lock);
  TheErrors().errorTexts[code] = text;
}

}  // namespace platform::fake

namespace platform {

uint32_t LastSystemError() {
  std::lock_guard<std::mutex> guard(fake::TheErrors().lock);
  return fake::TheErrors().lastError;
}

int DescribeSystemError(uint32_t code, char* buffer, uint32_t capacity) {
  std::lock_guard<std::mutex> guard(fake::TheErrors().lock);
  auto found = fake::TheErrors().errorTexts.find(code);
  return fake::CopyOut(found == fake::TheErrors().errorTexts.end() ? std::string() : found->second, buffer,
                       capacity);
}

}  // namespace platform

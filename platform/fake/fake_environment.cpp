// The fake of the environment (environment.h): the variables a test sets,
// names compared without regard to case.
#include "platform/fake/fake_environment.h"

#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/environment.h"
#include "platform/fake/fake_parts.h"

namespace platform::fake {

namespace {

struct EnvironmentState {
  std::mutex lock;
  std::map<std::string, std::string> variables;  // key: upper-case name
};

EnvironmentState& TheEnvironment() {
  static EnvironmentState state;
  return state;
}

std::string Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
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

void ResetEnvironment() {
  std::lock_guard<std::mutex> guard(TheEnvironment().lock);
  TheEnvironment().variables.clear();
}

void SetEnvironmentText(const std::string& name, const std::string& value) {
  std::lock_guard<std::mutex> guard(TheEnvironment().lock);
  TheEnvironment().variables[Key(name)] = value;
}

}  // namespace platform::fake

namespace platform {

int ReadEnvironmentText(const char* name, char* buffer, uint32_t capacity) {
  std::lock_guard<std::mutex> guard(fake::TheEnvironment().lock);
  auto found = fake::TheEnvironment().variables.find(fake::Key(name));
  const std::string value = found == fake::TheEnvironment().variables.end() ? std::string() : found->second;
  if (fake::CopyOut(value, buffer, capacity) == 1) return ENVIRONMENT_READ;
  return value.empty() ? ENVIRONMENT_NOT_SET : ENVIRONMENT_TOO_LONG;
}

}  // namespace platform

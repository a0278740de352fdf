// Win32 side of the environment: GetEnvironmentVariableA.
#include "platform/environment.h"

#include <windows.h>

namespace platform {

int ReadEnvironmentText(const char* name, char* buffer, uint32_t capacity) {
  if (capacity == 0) return ENVIRONMENT_TOO_LONG;
  buffer[0] = '\0';
  // The length without the zero when it fits, else the size it needs.
  const DWORD length = GetEnvironmentVariableA(name, buffer, capacity);
  if (length == 0) return ENVIRONMENT_NOT_SET;
  if (length >= capacity) {
    buffer[0] = '\0';
    return ENVIRONMENT_TOO_LONG;
  }
  return ENVIRONMENT_READ;
}

}  // namespace platform

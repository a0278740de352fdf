// Win32 side of the system's error codes: GetLastError and FormatMessageA.
#include "platform/system_error.h"

#include <windows.h>

namespace platform {

uint32_t LastSystemError() { return GetLastError(); }

int DescribeSystemError(uint32_t code, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  buffer[0] = '\0';
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                buffer, capacity, nullptr);
  if (length == 0 || length >= capacity) {
    buffer[0] = '\0';
    return 0;
  }
  while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' || buffer[length - 1] == ' ')) {
    --length;
  }
  buffer[length] = '\0';
  return 1;
}

}  // namespace platform

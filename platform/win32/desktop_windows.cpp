// Win32 side of the desktop's top-level windows: EnumWindows through a
// trampoline, and GetWindowTextA.
#include "platform/desktop_windows.h"

#include <windows.h>

namespace platform {

namespace {

struct EnumerationContext {
  WindowVisitor visitor;
  void* context;
};

BOOL CALLBACK EnumerationTrampoline(HWND window, LPARAM parameter) {
  const EnumerationContext* enumeration = reinterpret_cast<const EnumerationContext*>(parameter);
  return enumeration->visitor(window, enumeration->context) != 0 ? TRUE : FALSE;
}

}  // namespace

void EnumerateTopLevelWindows(WindowVisitor visitor, void* context) {
  EnumerationContext enumeration{visitor, context};
  ::EnumWindows(EnumerationTrampoline, reinterpret_cast<LPARAM>(&enumeration));
}

int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity) {
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  const int copied = ::GetWindowTextA(static_cast<HWND>(window), buffer, capacity);
  if (copied <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  return copied;
}

}  // namespace platform

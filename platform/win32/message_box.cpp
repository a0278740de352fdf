// Win32 side of the message box: MessageBoxA.
#include "platform/message_box.h"

#include <windows.h>

namespace platform {

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
  return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform

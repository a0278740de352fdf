// Win32 side of the message seam: PostMessageA and MessageBoxA.
#include "platform/messages.h"

#include <windows.h>

namespace platform {

int PostCommand(WindowHandle window, uint16_t command, intptr_t code) {
  return ::PostMessageA(static_cast<HWND>(window), WM_COMMAND, MAKEWPARAM(command, 0),
                        static_cast<LPARAM>(code))
             ? 1
             : 0;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
  return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform

// Win32 side of the thread's messages: PostMessageA, and the message loop
// over GetMessageA.
#include "platform/messages.h"

#include <windows.h>

namespace platform {

int PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  return ::PostMessageA(static_cast<HWND>(window), message, first, second) ? 1 : 0;
}

int PostCommand(WindowHandle window, uint16_t command, intptr_t code) {
  return ::PostMessageA(static_cast<HWND>(window), WM_COMMAND, MAKEWPARAM(command, 0),
                        static_cast<LPARAM>(code))
             ? 1
             : 0;
}

void EndMessageLoop(int32_t exitCode) { ::PostQuitMessage(exitCode); }

bool RunMessageLoop(int32_t& quitCode) {
  MSG message;
  for (;;) {
    const BOOL fetched = ::GetMessageA(&message, nullptr, 0, 0);
    if (fetched == 0) {
      quitCode = static_cast<int32_t>(message.wParam);
      return true;
    }
    // Only a bad window or record makes GetMessageA fail; neither is passed
    // here, but looping on a failure would never end.
    if (fetched == -1) return false;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace platform

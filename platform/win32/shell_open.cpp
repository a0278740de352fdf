// Win32 side of opening with the shell: the desktop's own shell first, then
// ShellExecuteA from this program.
#include "platform/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/desktop_shell.h"

namespace platform {

int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand) {
  // Through the desktop's shell, so that a browser it starts does not get
  // this program's administrator rights; from here only when that fails.
  if (win32::OpenThroughDesktopShell(verb, target, showCommand) == 1) return 1;
  // ShellExecuteA answers a number above 32 on success, an error code below.
  HINSTANCE answer = ::ShellExecuteA(static_cast<HWND>(owner), verb, target, nullptr, nullptr, showCommand);
  return reinterpret_cast<INT_PTR>(answer) > 32 ? 1 : 0;
}

}  // namespace platform

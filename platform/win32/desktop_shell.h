// Opening a document through the desktop's own shell, so that what it
// starts runs as the desktop's user rather than with this program's rights.
#pragma once

#include <cstdint>

namespace platform::win32 {

// Hands `verb` on `target`, shown with `showCommand`, to the shell that runs
// the desktop (its window, its folder view's dispatch object, its
// ShellExecute). 1 when that shell took the request; 0 when any step failed
// (no shell window, no shell windows service, another account's shell
// refusing this program, anything else), and then nothing was started. COM
// must be initialised on the calling thread.
int OpenThroughDesktopShell(const char* verb, const char* target, int32_t showCommand);

}  // namespace platform::win32

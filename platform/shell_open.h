// Platform seam: asking the shell to open a document or an address.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// Asks the shell to apply `verb` to `target` (a file or an address), shown
// with `showCommand` (SHOW_, window.h), message boxes owned by `owner`. 1
// when the shell took it, 0 when it refused. Where the desktop's own shell
// runs, the request goes through it, so what it starts runs as the
// desktop's user (not with this program's administrator rights); when that
// way fails at any step, the shell is asked from this program. The calling
// thread must have COM initialised.
int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand);

}  // namespace platform

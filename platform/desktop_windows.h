// Platform seam: the desktop's top-level windows, other programs' included,
// their titles and the programs that made them.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// Called once per top-level window; answers 1 to go on, 0 to stop.
using WindowVisitor = int (*)(WindowHandle window, void* context);

// Visits every top-level window of the desktop, in the system's order.
void EnumerateTopLevelWindows(WindowVisitor visitor, void* context);

// Copies the title of `window` into `buffer`, at most `capacity` - 1
// characters and a zero; answers the number of characters copied (0 also
// when the window has no title or is gone). `capacity` must be at least 1.
int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity);

// Copies the file name, without its folder, of the program whose process
// made `window` into `buffer`. 1 when read exactly: the name the system holds
// has an exact form in the ANSI code page (no best-fit stand-ins) and fits
// `capacity` characters with the zero. 0, with an empty text, when the
// window or its process is gone or the name cannot be read exactly or does
// not fit. `capacity` must be at least 1.
int ReadWindowProgramName(WindowHandle window, char* buffer, int32_t capacity);

}  // namespace platform

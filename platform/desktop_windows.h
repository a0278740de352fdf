// Platform seam: the desktop's top-level windows, other programs' included,
// and their titles.
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

}  // namespace platform

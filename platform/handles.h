// Opaque handles of the platform seam. The portable code only stores and
// passes them on; the Windows layer casts them to its own handle types.
#pragma once

#include <cstdint>

namespace platform {

using ModuleHandle = void*;
using WindowHandle = void*;
using BitmapHandle = void*;
using CursorHandle = void*;
using FontHandle = void*;
using ThreadHandle = void*;
using TimerId = uintptr_t;

}  // namespace platform

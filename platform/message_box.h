// Platform seam: showing a modal message box.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// Message-box styles, as the system defines them.
inline constexpr uint32_t MESSAGE_BOX_OK = 0x0000;
inline constexpr uint32_t MESSAGE_BOX_ICON_ERROR = 0x0010;
inline constexpr uint32_t MESSAGE_BOX_ICON_WARNING = 0x0030;
inline constexpr uint32_t MESSAGE_BOX_SYSTEM_MODAL = 0x1000;

// Shows a modal message box owned by `owner` (null for none) and returns
// the button the user chose, or 0 when no box could be shown.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style);

}  // namespace platform

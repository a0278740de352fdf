// Platform seam: the system's error codes. The last one of the calling
// thread, and the system's message for one.
#pragma once

#include <cstdint>

namespace platform {

// The calling thread's last system error code. Read it right after the
// failed operation: the seam's own clean-up keeps it.
uint32_t LastSystemError();

// The system's message for error `code` in `buffer` (`capacity` bytes), line
// breaks at its end removed. 1 with the text; 0 with an empty text when the
// system has none or it does not fit.
int DescribeSystemError(uint32_t code, char* buffer, uint32_t capacity);

}  // namespace platform

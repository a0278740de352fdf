// Control of the fake system errors (system_error.h). After fake::Reset the
// last error is 0 and no error has a message.
#pragma once

#include <cstdint>
#include <string>

namespace platform::fake {

// LastSystemError answers `code` until set again.
void SetLastSystemError(uint32_t code);
void SetSystemErrorText(uint32_t code, const std::string& text);

}  // namespace platform::fake

// Names between the system's wide characters and the program's ANSI texts,
// taken only when exact.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform::win32 {

// Converts the `length` wide characters at `wide` to the ANSI code page into
// `out` (`capacity` bytes, terminating zero included). True only when the
// text is exactly that name: no best fit, no default character, and the
// round trip gives the same wide characters; false also when it does not fit
// (`out` is then empty, never a shortened text).
bool ExactAnsiName(const wchar_t* wide, uint32_t length, char* out, uint32_t capacity);

// Converts the ANSI text `text` into `out` (`capacity` wide characters,
// terminating zero included); false when it is not valid in the ANSI code
// page or does not fit. The length written (without the zero) is in `length`.
bool WideFromAnsi(const char* text, wchar_t* out, uint32_t capacity, uint32_t& length);

}  // namespace platform::win32

// Names the system holds in UTF-16, handed to the program's ANSI texts only
// when the ANSI code page spells them exactly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace platform::win32 {

// Converts the `length` wide characters at `wide` to the ANSI code page into
// `out` (`capacity` bytes, terminating zero included). True only when the
// text is exactly that name: no best-fit neighbour, no default character,
// and converted back it gives the same wide characters; false also when it
// does not fit (`out` is then empty, never a shortened text).
bool ExactAnsiName(const wchar_t* wide, uint32_t length, char* out, uint32_t capacity);

// The same for the zero-terminated `wide`: 1 with the text, 0 with an empty
// text.
int ExactAnsiName(const wchar_t* wide, char* buffer, uint32_t capacity);

// Converts the ANSI text `text` into `out` (`capacity` wide characters,
// terminating zero included); false when it is not valid in the ANSI code
// page or does not fit. The length written (without the zero) is in `length`.
bool WideFromAnsi(const char* text, wchar_t* out, uint32_t capacity, uint32_t& length);

// The full path of `module`'s file as the loader holds it, in UTF-16.
// False when it cannot be had.
bool ModuleFileWide(HMODULE module, std::wstring& path);

// `path` in its long form (every 8.3 component spelled out); `path` itself
// when the system cannot tell.
std::wstring LongPathWide(const std::wstring& path);

// The ANSI `text` in UTF-16 as the code page reads it; false when a byte
// sequence is not valid in it.
bool AnsiToWide(const char* text, std::wstring& wide);

}  // namespace platform::win32

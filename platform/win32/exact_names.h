// Names the system holds in UTF-16, handed to the program's ANSI texts only
// when the ANSI code page spells them exactly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace platform::win32 {

// Writes the ANSI form of the zero-terminated `wide` into `buffer` only when
// it is exact: no best-fit neighbour, no default character, and converted
// back it gives `wide` again. 1 with the text; 0 with an empty text when
// there is no exact form or it does not fit `capacity` bytes.
int ExactAnsiName(const wchar_t* wide, char* buffer, uint32_t capacity);

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

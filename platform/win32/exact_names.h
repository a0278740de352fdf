// Names the system holds in UTF-16, handed to the program's ANSI texts only
// when the ANSI code page spells them exactly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <new>

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

// Capacity, in characters, of the wide paths the wide calls are asked for.
inline constexpr uint32_t WIDE_PATH_CHARS = 32768;

// A text area on the heap, freed when it goes: the wide answers of the
// system are too large for the stack, and the program's code does without
// the standard containers (they would bring in the exception machinery it
// is built without). `data` is null, and `capacity` 0, when the heap refused.
template <typename Char>
struct TextArea {
  explicit TextArea(uint32_t size) : data(new (std::nothrow) Char[size]), capacity(data != nullptr ? size : 0) {
    if (data != nullptr) data[0] = Char{};
  }
  ~TextArea() { delete[] data; }
  TextArea(const TextArea&) = delete;
  TextArea& operator=(const TextArea&) = delete;
  Char* data;
  uint32_t capacity;
};
using WideArea = TextArea<wchar_t>;
using AnsiArea = TextArea<char>;

// The full path of `module`'s file as the loader holds it, in UTF-16, into
// `path`. False when it cannot be had or does not fit.
bool ModuleFileWide(HMODULE module, WideArea& path);

// `path` in its long form (every 8.3 component spelled out) into `out`;
// `path` itself when the system cannot tell. False when neither fits.
bool LongPathWide(const wchar_t* path, WideArea& out);

// The ANSI `text` in UTF-16 as the code page reads it, into `wide`; false
// when a byte sequence is not valid in it or it does not fit.
bool AnsiToWide(const char* text, WideArea& wide);

}  // namespace platform::win32

// Exact conversions between wide names and ANSI texts.
#include "platform/win32/exact_ansi.h"

#include <cstring>

namespace platform::win32 {

namespace {

// The longest name a folder listing holds, in wide characters.
constexpr uint32_t LONGEST_NAME = 1024;

}  // namespace

bool ExactAnsiName(const wchar_t* wide, uint32_t length, char* out, uint32_t capacity) {
  if (capacity == 0) return false;
  out[0] = '\0';
  if (length == 0) return true;
  if (length > LONGEST_NAME || capacity < 2) return false;
  // The UTF-8 code page takes neither the best-fit flag nor the used-default
  // flag; there the round trip alone decides.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  const int written =
      WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(length), out,
                          static_cast<int>(capacity - 1), nullptr, utf8 ? nullptr : &usedDefault);
  if (written <= 0 || usedDefault) {
    out[0] = '\0';
    return false;
  }
  out[written] = '\0';
  wchar_t back[LONGEST_NAME];
  const int returned = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, written, back, LONGEST_NAME);
  if (returned != static_cast<int>(length) || std::memcmp(back, wide, length * sizeof(wchar_t)) != 0) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool WideFromAnsi(const char* text, wchar_t* out, uint32_t capacity, uint32_t& length) {
  length = 0;
  if (capacity == 0) return false;
  out[0] = L'\0';
  const size_t size = std::strlen(text);
  if (size == 0) return true;
  const int written = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, static_cast<int>(size), out,
                                          static_cast<int>(capacity - 1));
  if (written <= 0) {
    out[0] = L'\0';
    return false;
  }
  out[written] = L'\0';
  length = static_cast<uint32_t>(written);
  return true;
}

}  // namespace platform::win32

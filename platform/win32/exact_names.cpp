// Exact ANSI forms of UTF-16 names.
#include "platform/win32/exact_names.h"

#include <cstring>
#include <cwchar>

namespace platform::win32 {

bool ExactAnsiName(const wchar_t* wide, uint32_t length, char* out, uint32_t capacity) {
  if (capacity == 0) return false;
  out[0] = '\0';
  if (length == 0) return true;
  if (capacity < 2 || length > static_cast<uint32_t>(INT32_MAX)) return false;
  if (capacity > static_cast<uint32_t>(INT32_MAX)) capacity = INT32_MAX;
  // UTF-8 as the ANSI code page takes neither the flag nor the used-default
  // report; the round trip below still refuses what it cannot carry.
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
  // A text that reads back as more wide characters than the name does not
  // fit `back` and fails the conversion: no exact form either.
  WideArea back(length);
  const int returned = back.capacity == 0 ? 0
                                          : MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, written,
                                                                back.data, static_cast<int>(length));
  if (returned != static_cast<int>(length) || std::memcmp(back.data, wide, length * sizeof(wchar_t)) != 0) {
    out[0] = '\0';
    return false;
  }
  return true;
}

int ExactAnsiName(const wchar_t* wide, char* buffer, uint32_t capacity) {
  return ExactAnsiName(wide, static_cast<uint32_t>(std::wcslen(wide)), buffer, capacity) ? 1 : 0;
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

bool ModuleFileWide(HMODULE module, WideArea& path) {
  if (path.capacity == 0) return false;
  const DWORD length = GetModuleFileNameW(module, path.data, path.capacity);
  // A length equal to the capacity means the path was cut.
  if (length == 0 || length >= path.capacity) {
    path.data[0] = L'\0';
    return false;
  }
  return true;
}

bool LongPathWide(const wchar_t* path, WideArea& out) {
  if (out.capacity == 0) return false;
  const DWORD length = GetLongPathNameW(path, out.data, out.capacity);
  if (length != 0 && length < out.capacity) return true;
  const size_t size = std::wcslen(path);
  if (size >= out.capacity) {
    out.data[0] = L'\0';
    return false;
  }
  std::memcpy(out.data, path, (size + 1) * sizeof(wchar_t));
  return true;
}

bool AnsiToWide(const char* text, WideArea& wide) {
  if (wide.capacity == 0) return false;
  const int written = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.data,
                                          static_cast<int>(wide.capacity));
  if (written <= 0) {
    wide.data[0] = L'\0';
    return false;
  }
  return true;
}

}  // namespace platform::win32

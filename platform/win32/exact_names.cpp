// Exact ANSI forms of UTF-16 names.
#include "platform/win32/exact_names.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace platform::win32 {

namespace {

// The longest path the wide calls are asked for, terminator included.
constexpr DWORD WIDE_PATH_LIMIT = 32768;

}  // namespace

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
  std::vector<wchar_t> back(length, L'\0');
  const int returned =
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, written, back.data(), static_cast<int>(length));
  if (returned != static_cast<int>(length) || std::memcmp(back.data(), wide, length * sizeof(wchar_t)) != 0) {
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

bool ModuleFileWide(HMODULE module, std::wstring& path) {
  for (DWORD size = MAX_PATH; size <= WIDE_PATH_LIMIT; size *= 2) {
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD length = GetModuleFileNameW(module, buffer.data(), size);
    if (length == 0) return false;
    if (length < size) {
      path.assign(buffer.data(), length);
      return true;
    }
  }
  return false;
}

std::wstring LongPathWide(const std::wstring& path) {
  std::vector<wchar_t> buffer(WIDE_PATH_LIMIT, L'\0');
  const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), WIDE_PATH_LIMIT);
  if (length == 0 || length >= WIDE_PATH_LIMIT) return path;
  return std::wstring(buffer.data(), length);
}

bool AnsiToWide(const char* text, std::wstring& wide) {
  const int needed = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (needed <= 0) return false;
  std::vector<wchar_t> buffer(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, buffer.data(), needed) != needed) {
    return false;
  }
  wide.assign(buffer.data());
  return true;
}

}  // namespace platform::win32

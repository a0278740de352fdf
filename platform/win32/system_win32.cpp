// Version, 64-bit host and its machine, elevation and module path through Win32.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/system.h"
#include "platform/win32/exact_names.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
// Windows 10 1709 on; looked up at run time.
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);

// The record sizes the system checks; a 32-bit build is the one that ships.
static_assert(sizeof(OSVERSIONINFOEXA) == 156);
static_assert(sizeof(OSVERSIONINFOA) == 148);

}  // namespace

int QuerySystemVersion(int record, SystemVersion& version) {
  if (record == VERSION_RECORD_EXTENDED) {
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
      return 0;
    }
    version = SystemVersion{info.dwMajorVersion, info.dwMinorVersion, info.wProductType};
    return 1;
  }
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) {
    return 0;
  }
  version = SystemVersion{info.dwMajorVersion, info.dwMinorVersion, 0};
  return 1;
}

int QueryWow64(int& isWow64) {
  const HMODULE kernel = GetModuleHandleA("Kernel32.dll");
  if (kernel == nullptr) {
    return WOW64_NO_KERNEL32;
  }
  const FARPROC proc = GetProcAddress(kernel, "IsWow64Process");
  if (proc == nullptr) {
    return WOW64_NO_FUNCTION;
  }
  const HANDLE process = GetCurrentProcess();
  if (process == nullptr) {
    return WOW64_NO_PROCESS;
  }
  BOOL flag = FALSE;
  if (!win32::FunctionCast<IsWow64ProcessFunction>(proc)(process, &flag)) {
    return WOW64_CALL_FAILED;
  }
  isWow64 = flag ? 1 : 0;
  return WOW64_ANSWERED;
}

int QueryElevation() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return ELEVATION_UNKNOWN;
  win32::UniqueFile owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  // TokenElevation is unknown before Vista: the call then fails.
  if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return ELEVATION_UNKNOWN;
  return elevation.TokenIsElevated != 0 ? ELEVATION_YES : ELEVATION_NO;
}

int QueryHostMachine(uint16_t& machine) {
  const HMODULE kernel = GetModuleHandleA("Kernel32.dll");
  const auto query = kernel != nullptr
                         ? win32::FunctionCast<IsWow64Process2Function>(GetProcAddress(kernel, "IsWow64Process2"))
                         : nullptr;
  USHORT process = 0;
  USHORT native = 0;
  if (query == nullptr || !query(GetCurrentProcess(), &process, &native)) return 0;
  machine = native;
  return 1;
}

int GetModulePath(ModuleHandle module, char* buffer, uint32_t capacity) {
  if (capacity == 0) {
    return 0;
  }
  const HMODULE handle = static_cast<HMODULE>(module);
  const DWORD length = GetModuleFileNameA(handle, buffer, capacity);
  // A length equal to the capacity means the path was cut (and, on XP, not
  // even terminated).
  if (length == 0 || length >= capacity) {
    buffer[0] = '\0';
    return 0;
  }
  // The ANSI answer stands only when it is the exact spelling of the name
  // the loader holds; then the long form of that name replaces it.
  win32::WideArea wide(win32::WIDE_PATH_CHARS);
  win32::WideArea longPath(win32::WIDE_PATH_CHARS);
  win32::AnsiArea exact(capacity);
  if (!win32::ModuleFileWide(handle, wide) || exact.capacity == 0 ||
      win32::ExactAnsiName(wide.data, exact.data, capacity) == 0 || std::strcmp(exact.data, buffer) != 0 ||
      !win32::LongPathWide(wide.data, longPath)) {
    buffer[0] = '\0';
    return 0;
  }
  return win32::ExactAnsiName(longPath.data, buffer, capacity);
}

int GetModuleName(ModuleHandle module, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  buffer[0] = '\0';
  win32::WideArea wide(win32::WIDE_PATH_CHARS);
  win32::WideArea path(win32::WIDE_PATH_CHARS);
  if (!win32::ModuleFileWide(static_cast<HMODULE>(module), wide) || !win32::LongPathWide(wide.data, path)) {
    return 0;
  }
  const wchar_t* name = path.data;
  for (const wchar_t* at = path.data; *at != L'\0'; ++at) {
    if (*at == L'\\' || *at == L'/') name = at + 1;
  }
  if (*name == L'\0') return 0;
  return win32::ExactAnsiName(name, buffer, capacity);
}

}  // namespace platform

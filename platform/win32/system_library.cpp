// Loading of optional system libraries from the system folder only.
#include "platform/win32/system_library.h"

#include <cstring>

namespace platform::win32 {

namespace {

// The search flags of LoadLibraryExA came with an update to Windows 7 and are
// built into Windows 8; the documented test for them is whether kernel32
// exports AddDllDirectory. Without them the flag makes the call fail.
bool SearchFlagsSupported() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

}  // namespace

UniqueLibrary LoadSystemLibrary(const char* name) {
  if (SearchFlagsSupported()) {
    return UniqueLibrary(LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  }
  return LoadSystemLibraryByPath(name);
}

UniqueLibrary LoadSystemLibraryByPath(const char* name) {
  // A folder path that leaves no room for the name loads nothing.
  char path[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = std::strlen(name);
  if (length == 0 || length >= MAX_PATH || length + 1 + nameLength >= MAX_PATH) {
    return UniqueLibrary();
  }
  if (path[length - 1] != '\\') {
    path[length] = '\\';
    path[length + 1] = '\0';
  }
  std::strcat(path, name);
  return UniqueLibrary(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace platform::win32

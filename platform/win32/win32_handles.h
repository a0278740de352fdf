// Owning wrappers for the Win32 handles the platform layer holds.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace platform::win32 {

// Runs a release call without disturbing the thread's last error, so that an
// early return can still report why the step before it failed.
template <typename Release>
void KeepingLastError(Release release) {
  const DWORD error = GetLastError();
  release();
  SetLastError(error);
}

// Kernel handles whose failure value is INVALID_HANDLE_VALUE (files, devices).
struct FileHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value value) { return value != INVALID_HANDLE_VALUE && value != nullptr; }
  static void Close(Value value) {
    KeepingLastError([value] { CloseHandle(value); });
  }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

struct LibraryTraits {
  using Value = HMODULE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) {
    KeepingLastError([value] { FreeLibrary(value); });
  }
};
using UniqueLibrary = UniqueHandle<LibraryTraits>;

struct FindTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value value) { return value != INVALID_HANDLE_VALUE; }
  static void Close(Value value) {
    KeepingLastError([value] { FindClose(value); });
  }
};
using UniqueFind = UniqueHandle<FindTraits>;

struct ResourceTraits {
  using Value = HGLOBAL;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) {
    KeepingLastError([value] { FreeResource(value); });
  }
};
using UniqueResource = UniqueHandle<ResourceTraits>;

// GetProcAddress answers a generic function pointer; casting it through
// void (*)() tells the compiler the type change is meant.
template <typename Function>
Function FunctionCast(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace platform::win32

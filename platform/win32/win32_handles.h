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

// Releases a handle through `release` (one of the Win32 closing calls),
// keeping the thread's last error.
template <typename Handle, BOOL(WINAPI* release)(Handle)>
struct ReleasingKeepsLastError {
  static void Close(Handle value) {
    KeepingLastError([value] { release(value); });
  }
};

// Handles that hold nothing at INVALID_HANDLE_VALUE, the failure answer of
// the calls that make them (files, devices, find walks, snapshots). Zero is
// never live either: it is the failure answer of the other calls that make
// kernel handles (process tokens, file reopening).
template <typename Handle, BOOL(WINAPI* release)(Handle)>
struct InvalidValueHandleTraits : ReleasingKeepsLastError<Handle, release> {
  using Value = Handle;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value value) { return value != INVALID_HANDLE_VALUE && value != nullptr; }
};

// Handles that hold nothing at zero (libraries, resources).
template <typename Handle, BOOL(WINAPI* release)(Handle)>
struct ZeroEmptyHandleTraits : ReleasingKeepsLastError<Handle, release> {
  using Value = Handle;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
};

using FileHandleTraits = InvalidValueHandleTraits<HANDLE, CloseHandle>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<InvalidValueHandleTraits<HANDLE, FindClose>>;
using LibraryTraits = ZeroEmptyHandleTraits<HMODULE, FreeLibrary>;
using UniqueLibrary = UniqueHandle<LibraryTraits>;
using ResourceTraits = ZeroEmptyHandleTraits<HGLOBAL, FreeResource>;
using UniqueResource = UniqueHandle<ResourceTraits>;

// GetProcAddress answers a generic function pointer; casting it through
// void (*)() tells the compiler the type change is meant.
template <typename Function>
Function FunctionCast(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace platform::win32

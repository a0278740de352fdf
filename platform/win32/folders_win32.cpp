// Special folders through SHELL32.DLL or SHFOLDER.DLL, and the Windows folder.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "platform/folders.h"
#include "platform/win32/exact_names.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

using SpecialFolderPathFunction = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
using FolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using SpecialFolderPathWideFunction = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
using FolderPathWideFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

// Both functions write up to MAX_PATH characters; a larger scratch buffer
// leaves room to tell an answer that does not fit the caller apart.
constexpr uint32_t SCRATCH_SIZE = 1024;

}  // namespace

void CloseFolderSource(const FolderSource& source) {
  win32::LibraryTraits::Close(static_cast<HMODULE>(source.library));
}

int OpenFolderSource(int source, UniqueFolderSource& opened) {
  opened.Reset();
  if (source != FOLDER_SOURCE_SHELL && source != FOLDER_SOURCE_SHFOLDER) {
    return SOURCE_LIBRARY_MISSING;
  }
  const char* library = source == FOLDER_SOURCE_SHELL ? "SHELL32.DLL" : "SHFOLDER.DLL";
  const char* function =
      source == FOLDER_SOURCE_SHELL ? "SHGetSpecialFolderPathA" : "SHGetFolderPathA";
  win32::UniqueLibrary module = win32::LoadSystemLibrary(library);
  if (!module.IsValid()) {
    return SOURCE_LIBRARY_MISSING;
  }
  const char* wideFunction =
      source == FOLDER_SOURCE_SHELL ? "SHGetSpecialFolderPathW" : "SHGetFolderPathW";
  FARPROC proc = GetProcAddress(module.Get(), function);
  FARPROC wideProc = GetProcAddress(module.Get(), wideFunction);
  if (wideProc == nullptr) proc = nullptr;
  opened.Reset(FolderSource{source, module.Release(), reinterpret_cast<void*>(proc),
                            reinterpret_cast<void*>(wideProc)});
  return proc != nullptr ? SOURCE_READY : SOURCE_FUNCTION_MISSING;
}

int QuerySpecialFolder(const UniqueFolderSource& source, int folderId, int create, char* buffer,
                       uint32_t capacity) {
  if (capacity > 0) {
    buffer[0] = '\0';
  }
  const FolderSource& opened = source.Get();
  if (opened.function == nullptr) {
    return FOLDER_NOT_FOUND;
  }
  char scratch[SCRATCH_SIZE] = {};
  wchar_t wide[SCRATCH_SIZE] = {};
  const FARPROC proc = reinterpret_cast<FARPROC>(opened.function);
  const FARPROC wideProc = reinterpret_cast<FARPROC>(opened.wideFunction);
  if (opened.source == FOLDER_SOURCE_SHELL) {
    const BOOL createFlag = create != 0 ? TRUE : FALSE;
    auto getPath = win32::FunctionCast<SpecialFolderPathFunction>(proc);
    if (getPath(nullptr, scratch, folderId, createFlag) != TRUE) {
      return FOLDER_NOT_FOUND;
    }
    auto getWidePath = win32::FunctionCast<SpecialFolderPathWideFunction>(wideProc);
    if (getWidePath(nullptr, wide, folderId, createFlag) != TRUE) {
      return FOLDER_NOT_FOUND;
    }
  } else {
    const int flags = create != 0 ? CSIDL_FLAG_CREATE : 0;
    auto getPath = win32::FunctionCast<FolderPathFunction>(proc);
    if (getPath(nullptr, folderId | flags, nullptr, 0, scratch) != S_OK) {
      return FOLDER_NOT_FOUND;
    }
    auto getWidePath = win32::FunctionCast<FolderPathWideFunction>(wideProc);
    if (getWidePath(nullptr, folderId | flags, nullptr, 0, wide) != S_OK) {
      return FOLDER_NOT_FOUND;
    }
  }
  scratch[SCRATCH_SIZE - 1] = '\0';
  wide[SCRATCH_SIZE - 1] = L'\0';
  // The ANSI answer stands only when it spells the folder exactly.
  char exact[SCRATCH_SIZE];
  if (win32::ExactAnsiName(wide, exact, sizeof exact) == 0 || std::strcmp(exact, scratch) != 0) {
    return FOLDER_NOT_FOUND;
  }
  const size_t length = std::strlen(scratch);
  if (length >= capacity) {
    return FOLDER_TOO_LONG;
  }
  std::memcpy(buffer, scratch, length + 1);
  return FOLDER_FOUND;
}

uint32_t GetWindowsFolder(char* buffer, uint32_t capacity) {
  return GetWindowsDirectoryA(buffer, capacity);
}

}  // namespace platform

// Win32 side of the file-copy seam: CopyFileA, CopyFileW from the module's
// own path, and SetFileAttributesA.
#include "platform/file_copy.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "platform/win32/exact_names.h"

namespace platform {

namespace {

// The stream in which the system marks a downloaded file's origin; a copy
// inherits it with the file's other streams.
constexpr char ZONE_STREAM_SUFFIX[] = ":Zone.Identifier";

// Deletes the copy's zone mark. A name that does not fit is left alone
// rather than cut, which could name another file; failure (no mark, or no
// streams on this file system) changes nothing.
void RemoveZoneMark(const char* file) {
  char stream[MAX_PATH + sizeof ZONE_STREAM_SUFFIX];
  const size_t length = std::strlen(file);
  if (length + sizeof ZONE_STREAM_SUFFIX > sizeof stream) return;
  std::memcpy(stream, file, length);
  std::memcpy(stream + length, ZONE_STREAM_SUFFIX, sizeof ZONE_STREAM_SUFFIX);
  ::DeleteFileA(stream);
}

}  // namespace

int CopyFileReplacing(const char* source, const char* destination) {
  // The last argument is "fail if exists": FALSE replaces the destination.
  if (!::CopyFileA(source, destination, FALSE)) return 0;
  RemoveZoneMark(destination);
  return 1;
}

int CopyModuleFile(ModuleHandle module, const char* destination) {
  win32::WideArea source(win32::WIDE_PATH_CHARS);
  win32::WideArea target(win32::WIDE_PATH_CHARS);
  if (!win32::ModuleFileWide(static_cast<HMODULE>(module), source) ||
      !win32::AnsiToWide(destination, target)) {
    return 0;
  }
  if (!::CopyFileW(source.data, target.data, FALSE)) return 0;
  RemoveZoneMark(destination);
  return 1;
}

int SetFileAttributesNormal(const char* path) {
  return ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) ? 1 : 0;
}

}  // namespace platform

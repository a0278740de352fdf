// Files and folders through the Win32 file services.
#include <windows.h>

#include <cstring>
#include <new>
#include <utility>

#include "platform/files.h"
#include "platform/win32/exact_names.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

// A listing: the search handle and the entry FindFirstFileA returned with it.
struct Listing {
  win32::UniqueFind find;
};

// The wide listing gives the exact name; the ANSI text is taken only when it
// is that name exactly.
void CopyEntry(const WIN32_FIND_DATAW& data, FolderEntry& entry) {
  const uint32_t length = static_cast<uint32_t>(wcsnlen(data.cFileName, MAX_PATH));
  entry.nameExact = win32::ExactAnsiName(data.cFileName, length, entry.name, sizeof entry.name) ? 1 : 0;
  entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
  entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? 1 : 0;
}

}  // namespace

int CreateFolder(const char* path) {
  if (CreateDirectoryA(path, nullptr)) {
    return FOLDER_CREATED;
  }
  return GetLastError() == ERROR_ALREADY_EXISTS ? FOLDER_ALREADY_EXISTS : FOLDER_NOT_CREATED;
}

int RemoveFile(const char* path) { return DeleteFileA(path) ? 1 : 0; }

int RemoveFolder(const char* path) { return RemoveDirectoryA(path) ? 1 : 0; }

int RenameFile(const char* from, const char* to) { return MoveFileExA(from, to, 0) ? 1 : 0; }

int DeleteAtRestart(const char* path) {
  return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 0;
}

void CloseFolderListing(void* listing) { delete static_cast<Listing*>(listing); }

int OpenFolderListing(const char* pattern, UniqueFolderListing& listing, FolderEntry& first) {
  listing.Reset();
  wchar_t widePattern[MAX_PATH * 4];
  uint32_t patternLength = 0;
  if (!win32::WideFromAnsi(pattern, widePattern, MAX_PATH * 4, patternLength)) {
    return 0;
  }
  WIN32_FIND_DATAW data;
  win32::UniqueFind find(FindFirstFileW(widePattern, &data));
  if (!find.IsValid()) {
    return 0;
  }
  auto* opened = new (std::nothrow) Listing{std::move(find)};
  if (opened == nullptr) {
    return 0;
  }
  CopyEntry(data, first);
  listing.Reset(opened);
  return 1;
}

int NextFolderEntry(const UniqueFolderListing& listing, FolderEntry& entry) {
  auto* opened = static_cast<Listing*>(listing.Get());
  if (opened == nullptr) {
    return 0;
  }
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(opened->find.Get(), &data)) {
    return 0;
  }
  CopyEntry(data, entry);
  return 1;
}

BlockWrite WriteFileBlock(const char* path, const void* data, uint32_t length) {
  BlockWrite result{0, 0, 0};
  win32::UniqueFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) {
    return result;
  }
  result.opened = 1;
  // WriteFile wants a buffer even for an empty write.
  static const char nothing = 0;
  DWORD written = 0;
  result.writeReported =
      WriteFile(file.Get(), data != nullptr ? data : &nothing, length, &written, nullptr) ? 1 : 0;
  result.written = written;
  return result;
}

}  // namespace platform

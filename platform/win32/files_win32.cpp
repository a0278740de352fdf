// Files and folders through the Win32 file services.
#include <windows.h>

#include <cstring>
#include <new>
#include <utility>

#include "platform/files.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

// A listing: the search handle and the entry FindFirstFileA returned with it.
struct Listing {
  win32::UniqueFind find;
};

void CopyEntry(const WIN32_FIND_DATAA& data, FolderEntry& entry) {
  static_assert(sizeof entry.name == sizeof data.cFileName);
  std::memcpy(entry.name, data.cFileName, sizeof entry.name);
  entry.name[sizeof entry.name - 1] = '\0';
  entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
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

void CloseFolderListing(void* listing) { delete static_cast<Listing*>(listing); }

int OpenFolderListing(const char* pattern, UniqueFolderListing& listing, FolderEntry& first) {
  listing.Reset();
  WIN32_FIND_DATAA data;
  win32::UniqueFind find(FindFirstFileA(pattern, &data));
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
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(opened->find.Get(), &data)) {
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

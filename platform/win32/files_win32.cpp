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
  entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? 1 : 0;
}

// A held folder: the handle of the folder itself.
struct Guard {
  win32::UniqueFile folder;
};

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

void CloseFolderGuard(void* guard) { delete static_cast<Guard*>(guard); }

int OpenFolderGuard(const char* path, UniqueFolderGuard& guard) {
  guard.Reset();
  // Listing access, not attributes alone: an open that asks only for
  // attributes takes no part in sharing, so it would not keep others from
  // deleting or renaming the folder.
  win32::UniqueFile folder(CreateFileA(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
  if (!folder.IsValid()) {
    const DWORD byPath = GetFileAttributesA(path);
    if (byPath != INVALID_FILE_ATTRIBUTES &&
        ((byPath & FILE_ATTRIBUTE_DIRECTORY) == 0 || (byPath & FILE_ATTRIBUTE_REPARSE_POINT) != 0)) {
      return GUARD_LINK;
    }
    return GUARD_UNAVAILABLE;
  }
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(folder.Get(), &information)) {
    return GUARD_UNAVAILABLE;
  }
  // Wine may answer from the object the link names: the path's own
  // attributes, read while the handle keeps it from being replaced, count
  // as well.
  const DWORD byPath = GetFileAttributesA(path);
  const DWORD attributes =
      information.dwFileAttributes | (byPath != INVALID_FILE_ATTRIBUTES ? byPath : 0);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return GUARD_LINK;
  }
  auto* held = new (std::nothrow) Guard{std::move(folder)};
  if (held == nullptr) {
    return GUARD_UNAVAILABLE;
  }
  guard.Reset(held);
  return GUARD_HELD;
}

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

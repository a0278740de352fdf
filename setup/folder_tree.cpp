// Path and folder-tree helpers.
#include "setup/folder_tree.h"

#include <cstring>

#include "platform/files.h"

namespace setup {

namespace {

constexpr uint32_t MIN_TREE_PATH_LENGTH = 5;
constexpr const char* ALL_ENTRIES = "*.*";

// Joins `folder` and `name` with one backslash (none when the folder already
// ends in one) into `out`. False when the result would not fit.
bool JoinPath(const char* folder, const char* name, char (&out)[DELETE_TREE_PATH_SIZE]) {
  const size_t folderLength = std::strlen(folder);
  const bool separator = folderLength == 0 || folder[folderLength - 1] != '\\';
  const size_t total = folderLength + (separator ? 1 : 0) + std::strlen(name);
  if (total >= DELETE_TREE_PATH_SIZE) {
    return false;
  }
  std::memcpy(out, folder, folderLength);
  size_t at = folderLength;
  if (separator) {
    out[at++] = '\\';
  }
  std::strcpy(out + at, name);
  return true;
}

// The first entry of a listing that the walk would delete next.
enum class Next { Nothing, File, Folder };

// Lists `folder` and finds its first entry other than a sub-folder whose name
// begins with a full stop, with its path in `path`. Nothing when the folder
// cannot be listed, holds no such entry, or the entry's path would not fit.
// The listing is closed on return, before anything is deleted: the walk
// starts a fresh one after every deletion.
Next FindFirstDeletable(const char* folder, char (&path)[DELETE_TREE_PATH_SIZE]) {
  char pattern[DELETE_TREE_PATH_SIZE];
  if (!JoinPath(folder, ALL_ENTRIES, pattern)) {
    return Next::Nothing;
  }
  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  if (platform::OpenFolderListing(pattern, listing, entry) == 0) {
    return Next::Nothing;
  }
  do {
    if (entry.isFolder != 0 && entry.name[0] == '.') {
      continue;
    }
    if (!JoinPath(folder, entry.name, path)) {
      return Next::Nothing;
    }
    return entry.isFolder != 0 ? Next::Folder : Next::File;
  } while (platform::NextFolderEntry(listing, entry) != 0);
  return Next::Nothing;
}

// Deletes the tree below `folder`, then `folder` itself; true when it is gone.
bool DeleteTree(const char* folder) {
  char path[DELETE_TREE_PATH_SIZE];
  char lastDeleted[DELETE_TREE_PATH_SIZE];
  lastDeleted[0] = '\0';
  for (;;) {
    const Next next = FindFirstDeletable(folder, path);
    if (next == Next::Nothing) {
      break;
    }
    // An entry whose deletion was reported but is still pending (a file held
    // open with delete sharing, say) is listed first again: deleting it once
    // more could succeed for ever, so it ends the walk like an entry that
    // cannot be deleted.
    if (std::strcmp(path, lastDeleted) == 0) {
      break;
    }
    // A sub-folder that stays would be listed first again on every restart,
    // so it ends the walk just as a file that cannot be deleted does.
    const bool deleted =
        next == Next::Folder ? DeleteTree(path) : platform::RemoveFile(path) != 0;
    if (!deleted) {
      break;
    }
    std::strcpy(lastDeleted, path);
  }
  return platform::RemoveFolder(folder) != 0;
}

}  // namespace

int CreateFolderTree(const char* path) {
  if (path == nullptr) {
    return 0;
  }
  const size_t length = strnlen(path, CREATE_TREE_PATH_SIZE);
  if (length >= CREATE_TREE_PATH_SIZE || length < MIN_TREE_PATH_LENGTH) {
    return 0;
  }
  char copy[CREATE_TREE_PATH_SIZE];
  std::memcpy(copy, path, length + 1);

  // The root ends at the first backslash from index 2 on; a network path
  // keeps its share too, up to the next backslash.
  size_t rootEnd = 2;
  while (rootEnd < length && copy[rootEnd] != '\\') {
    ++rootEnd;
  }
  if (copy[0] == '\\' && copy[1] == '\\' && rootEnd < length) {
    ++rootEnd;
    while (rootEnd < length && copy[rootEnd] != '\\') {
      ++rootEnd;
    }
  }
  if (rootEnd + 1 >= length) {
    return 1;  // only the root, perhaps with one backslash after it
  }

  for (size_t i = rootEnd + 1; i < length; ++i) {
    if (copy[i] != '\\') {
      continue;
    }
    copy[i] = '\0';
    const int created = platform::CreateFolder(copy);
    copy[i] = '\\';
    if (created == platform::FOLDER_NOT_CREATED) {
      return 0;
    }
  }
  if (copy[length - 1] == '\\') {
    return 1;  // the last folder was made at its trailing backslash
  }
  return platform::CreateFolder(copy) != platform::FOLDER_NOT_CREATED ? 1 : 0;
}

int DeleteFolderTree(const char* folder) {
  // An empty text would name the root of the current drive.
  if (folder == nullptr || folder[0] == '\0') {
    return 1;
  }
  DeleteTree(folder);
  return 1;
}

void StripLastComponent(char* path) {
  if (path == nullptr) {
    return;
  }
  char* last = std::strrchr(path, '\\');
  if (last != nullptr) {
    *last = '\0';
  }
}

void KeepLastComponent(char* path) {
  if (path == nullptr) {
    return;
  }
  const char* last = std::strrchr(path, '\\');
  if (last != nullptr) {
    std::memmove(path, last + 1, std::strlen(last + 1) + 1);
  }
}

}  // namespace setup

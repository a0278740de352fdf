// Path and folder-tree helpers.
#include "setup/folder_tree.h"

#include <cstring>

#include "app/bounded_text.h"
#include "app/setup_log.h"
#include "platform/files.h"

namespace setup {

namespace {

constexpr uint32_t MIN_TREE_PATH_LENGTH = 5;
constexpr const char* ALL_ENTRIES = "*.*";

// Copies `folder` cut at its last backslash into `parent`; false when there
// is no parent part or it does not fit.
bool CopyParent(const char* folder, char (&parent)[CREATE_TREE_PATH_SIZE]) {
  const size_t length = strnlen(folder, CREATE_TREE_PATH_SIZE);
  if (length >= CREATE_TREE_PATH_SIZE) {
    return false;
  }
  std::memcpy(parent, folder, length + 1);
  StripLastComponent(parent);
  return parent[0] != '\0' && std::strcmp(parent, folder) != 0;
}

// The first entry of a listing that the walk would delete next.
enum class Next { Nothing, File, Folder, FileLink, FolderLink };

// Lists `folder` and finds its first entry other than a sub-folder whose name
// begins with a full stop and other than the first `linksPassed` links, with
// its path in `path`. Nothing when the folder cannot be listed, holds no such
// entry, or the entry's path would not fit. The listing is closed on return,
// before anything is deleted: the walk starts a fresh one after every
// deletion.
Next FindFirstDeletable(const char* folder, uint32_t linksPassed,
                        char (&path)[DELETE_TREE_PATH_SIZE]) {
  char pattern[DELETE_TREE_PATH_SIZE];
  if (app::JoinPath(pattern, sizeof pattern, folder, ALL_ENTRIES) != 1) {
    return Next::Nothing;
  }
  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  if (platform::OpenFolderListing(pattern, listing, entry) == 0) {
    return Next::Nothing;
  }
  uint32_t links = 0;
  do {
    if (entry.isFolder != 0 && entry.name[0] == '.') {
      continue;
    }
    if (entry.isLink != 0 && links++ < linksPassed) {
      continue;
    }
    if (app::JoinPath(path, sizeof path, folder, entry.name) != 1) {
      return Next::Nothing;
    }
    if (entry.isLink != 0) {
      return entry.isFolder != 0 ? Next::FolderLink : Next::FileLink;
    }
    return entry.isFolder != 0 ? Next::Folder : Next::File;
  } while (platform::NextFolderEntry(listing, entry) != 0);
  return Next::Nothing;
}

// Deletes the tree below `folder`, then `folder` itself; true when it is gone.
// The folder is held open while its entries go, so that it cannot be swapped
// for a link meanwhile; a folder that is a link is removed as a link only.
bool DeleteTree(const char* folder) {
  platform::UniqueFolderGuard guard;
  if (platform::OpenFolderGuard(folder, guard) == platform::GUARD_LINK) {
    return platform::RemoveFolder(folder) != 0;
  }
  char path[DELETE_TREE_PATH_SIZE];
  char lastDeleted[DELETE_TREE_PATH_SIZE];
  lastDeleted[0] = '\0';
  // Links that could not be removed stay listed in the same order ahead of
  // anything not yet visited, so counting them is enough to pass over them.
  uint32_t linksPassed = 0;
  // A folder that cannot be opened is still walked, unheld: it is no link.
  for (;;) {
    const Next next = FindFirstDeletable(folder, linksPassed, path);
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
    if (next == Next::FolderLink || next == Next::FileLink) {
      // A link goes as a link, never what it names. Wine refuses to remove a
      // Unix symbolic link to a folder: it stays, is passed over from now on,
      // and the walk goes on with the rest.
      const int removed = next == Next::FolderLink ? platform::RemoveFolder(path)
                                                   : platform::RemoveFile(path);
      if (removed == 0) {
        ++linksPassed;
      } else {
        std::strcpy(lastDeleted, path);
      }
      continue;
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
  // The holder's own removal would fail while it holds the folder.
  guard.Reset();
  return platform::RemoveFolder(folder) != 0;
}

// Opens `path` into `guard`: FOLDER_PAIR_LINKED for a link, else
// FOLDER_PAIR_HELD. A folder that is missing or cannot be opened is no link
// and is worked on unheld, as it was before folders were held: the
// deletions below a missing one fail harmlessly.
int Hold(const char* path, platform::UniqueFolderGuard& guard) {
  return platform::OpenFolderGuard(path, guard) == platform::GUARD_LINK ? FOLDER_PAIR_LINKED
                                                                        : FOLDER_PAIR_HELD;
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

int HoldFolderPair(const char* folder, int create, FolderPair& pair) {
  pair.usable = 0;
  pair.folder.Reset();
  pair.parent.Reset();
  if (folder == nullptr || !CopyParent(folder, pair.parentPath)) {
    return FOLDER_PAIR_MISSING;
  }
  // Each folder is created only once the one above it is held and known not
  // to be a link, so nothing is ever made at a link's target.
  if (create != 0 && CreateFolderTree(pair.parentPath) != 1) {
    return FOLDER_PAIR_MISSING;
  }
  const int parent = Hold(pair.parentPath, pair.parent);
  if (parent != FOLDER_PAIR_HELD) {
    return parent;
  }
  if (create != 0 && platform::CreateFolder(folder) == platform::FOLDER_NOT_CREATED) {
    pair.parent.Reset();
    return FOLDER_PAIR_MISSING;
  }
  const int held = Hold(folder, pair.folder);
  if (held != FOLDER_PAIR_HELD) {
    pair.parent.Reset();
    return held;
  }
  pair.usable = 1;
  return held;
}

int LogFolderHeld(const char* folder, int create, int held) {
  if (held == FOLDER_PAIR_LINKED) {
    app::LogFolderLink(folder);
  } else if (create != 0) {
    app::LogFolderCreated(folder, held == FOLDER_PAIR_HELD ? 1 : 0);
  }
  return held;
}

void RemoveFolderPair(const char* folder, FolderPair& pair) {
  if (pair.usable == 0) {
    return;
  }
  pair.folder.Reset();
  DeleteFolderTree(folder);
  RemoveEmptyParent(pair);
}

void RemoveEmptyParent(FolderPair& pair) {
  if (pair.usable == 0) {
    return;
  }
  pair.usable = 0;
  pair.folder.Reset();
  pair.parent.Reset();
  // Fails harmlessly while anything else is in it. Were it swapped for a
  // link since the release, only the link would go.
  platform::RemoveFolder(pair.parentPath);
}

}  // namespace setup

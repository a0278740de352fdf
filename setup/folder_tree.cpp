// Path and folder-tree helpers.
#include "setup/folder_tree.h"

#include <cstring>

#include "app/setup_log.h"
#include "platform/answers.h"
#include "platform/files.h"
#include "platform/held_folders.h"

namespace setup {

namespace {

constexpr uint32_t MIN_TREE_PATH_LENGTH = 5;

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

// The length of an entry's name in the path text it would have: its exact
// ANSI text, or, for a name without one, its length in the system's units.
uint32_t NameLength(const platform::HeldEntry& entry) {
  return entry.nameExact != 0 ? static_cast<uint32_t>(strnlen(entry.name, sizeof entry.name))
                              : entry.systemName.length;
}

bool SameSystemName(const platform::SystemName& a, const platform::SystemName& b) {
  return a.length == b.length && std::memcmp(a.units, b.units, a.length * sizeof a.units[0]) == 0;
}

// Lists the held `folder` from its start and finds its first entry other
// than a sub-folder whose name begins with a full stop and other than the
// first `linksPassed` links. False when the folder cannot be listed or holds
// no such entry. The walk starts a fresh listing after every deletion.
bool FindFirstDeletable(const platform::UniqueHeldItem& folder, uint32_t linksPassed,
                        platform::HeldEntry& entry) {
  uint32_t links = 0;
  for (int more = platform::NextHeldEntry(folder, 1, entry); more == platform::ANSWER_YES;
       more = platform::NextHeldEntry(folder, 0, entry)) {
    const bool fullStop = entry.systemName.length > 0 && entry.systemName.units[0] == '.';
    if (entry.isFolder != 0 && fullStop) {
      continue;
    }
    if (entry.isLink != 0 && links++ < linksPassed) {
      continue;
    }
    return true;
  }
  return false;
}

// A pair's result for what a hold found: FOLDER_PAIR_HELD for a real
// folder, else what is there instead; missing or not holdable is no pair.
int PairResult(int kind) {
  switch (kind) {
    case platform::HELD_FOLDER:
    case platform::HELD_CREATED:
      return FOLDER_PAIR_HELD;
    case platform::HELD_LINK:
      return FOLDER_PAIR_LINKED;
    case platform::HELD_FILE:
      return FOLDER_PAIR_FILE;
    default:
      return FOLDER_PAIR_MISSING;
  }
}

}  // namespace

int CreateFolderTree(const char* path) {
  if (path == nullptr) {
    return platform::ANSWER_NO;
  }
  const size_t length = strnlen(path, CREATE_TREE_PATH_SIZE);
  if (length >= CREATE_TREE_PATH_SIZE || length < MIN_TREE_PATH_LENGTH) {
    return platform::ANSWER_NO;
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
    return platform::ANSWER_YES;  // only the root, perhaps with one backslash after it
  }

  for (size_t i = rootEnd + 1; i < length; ++i) {
    if (copy[i] != '\\') {
      continue;
    }
    copy[i] = '\0';
    const int created = platform::CreateFolder(copy);
    copy[i] = '\\';
    if (created == platform::FOLDER_NOT_CREATED) {
      return platform::ANSWER_NO;
    }
  }
  if (copy[length - 1] == '\\') {
    return platform::ANSWER_YES;  // the last folder was made at its trailing backslash
  }
  return platform::CreateFolder(copy) != platform::FOLDER_NOT_CREATED ? platform::ANSWER_YES
                                                                      : platform::ANSWER_NO;
}

bool DeleteHeldTree(platform::UniqueHeldItem& folder, uint32_t pathLength) {
  // The system name of the entry deleted last: one whose deletion was
  // reported but is still pending (a file held open with delete sharing,
  // say) is listed first again, and deleting it once more could succeed for
  // ever, so it ends the walk like an entry that cannot be deleted.
  platform::SystemName lastDeleted{};
  // Links that could not be removed stay listed in the same order ahead of
  // anything not yet visited, so counting them is enough to pass over them.
  uint32_t linksPassed = 0;
  platform::HeldEntry entry;
  while (FindFirstDeletable(folder, linksPassed, entry)) {
    const uint32_t entryLength = pathLength + 1 + NameLength(entry);
    if (entryLength >= DELETE_TREE_PATH_SIZE) {
      break;
    }
    const bool again = lastDeleted.length != 0 && SameSystemName(entry.systemName, lastDeleted);
    platform::UniqueHeldItem item;
    const int kind = again ? platform::HELD_UNAVAILABLE : platform::OpenHeldEntry(folder, entry, item);
    if (entry.isLink != 0 || kind == platform::HELD_LINK) {
      // A link goes as a link, never what it names. One the system will not
      // remove (Wine keeps a Unix symbolic link to a folder) stays, is passed
      // over from now on, and the walk goes on with the rest.
      if (kind == platform::HELD_LINK && platform::DeleteHeldItem(item) == platform::ANSWER_YES) {
        lastDeleted = entry.systemName;
      } else {
        ++linksPassed;
        lastDeleted.length = 0;
      }
      continue;
    }
    // A sub-folder that stays would be listed first again on every restart,
    // so it ends the walk just as a file that cannot be deleted does.
    bool deleted = false;
    if (kind == platform::HELD_FOLDER) {
      deleted = DeleteHeldTree(item, entryLength);
    } else if (kind == platform::HELD_FILE) {
      deleted = platform::DeleteHeldItem(item) == platform::ANSWER_YES;
    }
    if (!deleted) {
      break;
    }
    lastDeleted = entry.systemName;
  }
  return platform::DeleteHeldItem(folder) == platform::ANSWER_YES;
}

int DeleteFolderTree(const char* folder) {
  // An empty text would name the root of the current drive.
  if (folder == nullptr || folder[0] == '\0') {
    return platform::ANSWER_YES;
  }
  platform::UniqueHeldItem held;
  const int kind = platform::HoldFolder(folder, held);
  if (kind == platform::HELD_LINK) {
    platform::DeleteHeldItem(held);
  } else if (kind == platform::HELD_FOLDER) {
    DeleteHeldTree(held, static_cast<uint32_t>(strnlen(folder, DELETE_TREE_PATH_SIZE)));
  }
  return platform::ANSWER_YES;
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

int HoldFolderPair(const char* folder, bool create, FolderPair& pair) {
  pair.usable = false;
  pair.folder.Reset();
  pair.parent.Reset();
  if (folder == nullptr || !CopyParent(folder, pair.parentPath)) {
    return FOLDER_PAIR_MISSING;
  }
  const char* name = folder + std::strlen(pair.parentPath) + 1;
  // The folder is created only once the one above it is held and known not
  // to be a link, and relative to it, so nothing is ever made at a link's
  // target.
  if (create && CreateFolderTree(pair.parentPath) != platform::ANSWER_YES) {
    return FOLDER_PAIR_MISSING;
  }
  const int parent = PairResult(platform::HoldFolder(pair.parentPath, pair.parent));
  if (parent != FOLDER_PAIR_HELD) {
    pair.parent.Reset();
    return parent;
  }
  const int kind = create ? platform::CreateHeldFolder(pair.parent, name, pair.folder)
                               : platform::OpenHeldName(pair.parent, name, pair.folder);
  // On removal a missing folder leaves the parent to go when empty.
  const int held = !create && kind == platform::HELD_MISSING ? FOLDER_PAIR_HELD : PairResult(kind);
  if (held != FOLDER_PAIR_HELD) {
    pair.folder.Reset();
    pair.parent.Reset();
    return held;
  }
  pair.usable = true;
  return held;
}

void LogFolderHeld(const char* folder, bool create, int held) {
  if (held == FOLDER_PAIR_LINKED || held == FOLDER_PAIR_FILE) {
    app::LogFolderLink(folder, held == FOLDER_PAIR_LINKED);
  } else if (create) {
    app::LogFolderCreated(folder, held == FOLDER_PAIR_HELD ? platform::ANSWER_YES : platform::ANSWER_NO);
  }
}

void RemoveFolderPair(const char* folder, FolderPair& pair) {
  if (!pair.usable) {
    return;
  }
  if (pair.folder.IsValid()) {
    DeleteHeldTree(pair.folder, static_cast<uint32_t>(strnlen(folder, DELETE_TREE_PATH_SIZE)));
  }
  RemoveEmptyParent(pair);
}

void RemoveEmptyParent(FolderPair& pair) {
  if (!pair.usable) {
    return;
  }
  pair.usable = false;
  pair.folder.Reset();
  // Refused while anything is in it; through its handle, so it is the
  // parent held all along whatever its path names now.
  platform::DeleteHeldItem(pair.parent);
  pair.parent.Reset();
}

}  // namespace setup

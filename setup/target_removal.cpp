// Removal of the target folder, with what stays of the product scheduled for
// deletion at the next restart.
#include "setup/target_removal.h"

#include <cstring>

#include "app/bounded_text.h"
#include "package/package_format.h"
#include "platform/files.h"

namespace setup {

namespace {

// The 21 package entries and the uninstaller copy.
constexpr uint32_t PRODUCT_FILE_COUNT = package::PACKAGE_ENTRY_COUNT + 1;
constexpr uint32_t PRODUCT_PATH_SIZE = app::TARGET_FOLDER_SIZE + app::MODULE_PATH_SIZE;

struct ProductNames {
  char names[PRODUCT_FILE_COUNT][app::MODULE_PATH_SIZE];
  uint32_t count;
};

void CollectProductNames(const app::AppState& state, ProductNames& product) {
  product.count = 0;
  for (uint32_t index = 0; index < package::PACKAGE_ENTRY_COUNT; ++index) {
    const package::PackageEntry entry = package::ReadEntry(state.packageTable, index);
    if (package::EntryNameIsSafe(entry) != 0) {
      app::CopyText(product.names[product.count++], app::MODULE_PATH_SIZE, entry.name);
    }
  }
  char programName[app::MODULE_PATH_SIZE];
  if (app::CopyText(programName, sizeof programName, state.modulePath) == 1) {
    KeepLastComponent(programName);
    if (programName[0] != '\0') {
      app::CopyText(product.names[product.count++], app::MODULE_PATH_SIZE, programName);
    }
  }
}

// Marks in `present` which product names are files (not links, not folders)
// listed in `folder`. False when the folder cannot be listed.
bool FindProductFiles(const char* folder, const ProductNames& product,
                      bool (&present)[PRODUCT_FILE_COUNT]) {
  char pattern[PRODUCT_PATH_SIZE];
  if (app::JoinPath(pattern, sizeof pattern, folder, "*.*") == 0) return false;
  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  if (platform::OpenFolderListing(pattern, listing, entry) == 0) return false;
  do {
    if (entry.isFolder != 0 || entry.isLink != 0) continue;
    for (uint32_t index = 0; index < product.count; ++index) {
      if (package::SameFileName(entry.name, product.names[index]) == 1) present[index] = true;
    }
  } while (platform::NextFolderEntry(listing, entry) != 0);
  return true;
}

// Renames `path` to a free name beside it and schedules that name for
// deletion at the restart; gives the file its name back when the scheduling
// fails. True when scheduled.
bool RenameAndSchedule(const char* path) {
  char renamed[PRODUCT_PATH_SIZE + RESTART_SUFFIX_SIZE];
  const size_t length = std::strlen(path);
  for (uint32_t attempt = 0; attempt < RESTART_NAME_ATTEMPTS; ++attempt) {
    // path + "." + one or two digits + ".del"
    char* at = renamed + length;
    std::memcpy(renamed, path, length);
    *at++ = '.';
    if (attempt >= 10) *at++ = static_cast<char>('0' + attempt / 10);
    *at++ = static_cast<char>('0' + attempt % 10);
    std::memcpy(at, ".del", sizeof ".del");
    if (platform::RenameFile(path, renamed) == 0) continue;  // the name is taken, say
    if (platform::DeleteAtRestart(renamed) == 1) return true;
    platform::RenameFile(renamed, path);
    return false;
  }
  return false;
}

// True when `parent` lists nothing but the sub-folder `name` (a real folder).
bool HoldsOnly(const char* parent, const char* name) {
  char pattern[PRODUCT_PATH_SIZE];
  if (app::JoinPath(pattern, sizeof pattern, parent, "*.*") == 0) return false;
  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  if (platform::OpenFolderListing(pattern, listing, entry) == 0) return false;
  bool found = false;
  do {
    const bool self = std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0;
    if (entry.isFolder != 0 && self) continue;
    if (entry.isFolder == 0 || entry.isLink != 0 || package::SameFileName(entry.name, name) == 0) return false;
    found = true;
  } while (platform::NextFolderEntry(listing, entry) != 0);
  return found;
}

}  // namespace

void RemoveTargetFolder(const app::AppState& state, const char* targetFolder, FolderPair& pair) {
  if (pair.usable == 0) return;
  pair.folder.Reset();
  DeleteFolderTree(targetFolder);

  // Still there when it can be listed: the program runs from its copy in
  // it, or a file is in use. It is held again while its files are renamed;
  // one swapped for a link meanwhile is left alone.
  ProductNames product;
  CollectProductNames(state, product);
  bool present[PRODUCT_FILE_COUNT] = {};
  if (platform::OpenFolderGuard(targetFolder, pair.folder) == platform::GUARD_LINK ||
      !FindProductFiles(targetFolder, product, present)) {
    RemoveEmptyParent(pair);
    return;
  }
  uint32_t scheduled = 0;
  for (uint32_t index = 0; index < product.count; ++index) {
    char path[PRODUCT_PATH_SIZE];
    if (present[index] && app::JoinPath(path, sizeof path, targetFolder, product.names[index]) == 1 &&
        RenameAndSchedule(path)) {
      ++scheduled;
    }
  }
  if (scheduled > 0 && platform::DeleteAtRestart(targetFolder) == 1) {
    char folderName[app::TARGET_FOLDER_SIZE];
    app::CopyText(folderName, sizeof folderName, targetFolder);
    KeepLastComponent(folderName);
    if (HoldsOnly(pair.parentPath, folderName)) platform::DeleteAtRestart(pair.parentPath);
  }
  pair.usable = 0;
  pair.folder.Reset();
  pair.parent.Reset();
}

}  // namespace setup

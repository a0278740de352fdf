// Removal of the target folder, with what stays of the product scheduled for
// deletion at the next restart.
#include "setup/target_removal.h"

#include <cstring>

#include "app/bounded_text.h"
#include "package/package_format.h"
#include "platform/answers.h"
#include "platform/files.h"
#include "platform/held_folders.h"

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
    if (package::EntryNameIsSafe(entry)) {
      app::CopyText(product.names[product.count++], app::MODULE_PATH_SIZE, entry.name);
    }
  }
  char programName[app::MODULE_PATH_SIZE];
  if (app::CopyText(programName, sizeof programName, state.modulePath)) {
    KeepLastComponent(programName);
    if (programName[0] != '\0') {
      app::CopyText(product.names[product.count++], app::MODULE_PATH_SIZE, programName);
    }
  }
}

// Marks in `present` which product names are files (not links, not
// folders) listed in the held `folder`. A name without an exact ANSI form is
// no product name.
void FindProductFiles(const platform::UniqueHeldItem& folder, const ProductNames& product,
                      bool (&present)[PRODUCT_FILE_COUNT]) {
  platform::HeldEntry entry;
  for (int more = platform::NextHeldEntry(folder, 1, entry); more == platform::ANSWER_YES;
       more = platform::NextHeldEntry(folder, 0, entry)) {
    if (entry.isFolder != 0 || entry.isLink != 0 || entry.nameExact == 0) continue;
    for (uint32_t index = 0; index < product.count; ++index) {
      if (package::SameFileName(entry.name, product.names[index])) present[index] = true;
    }
  }
}

// Renames the file `name` of the held `folder` (whose path is `folderPath`)
// to a free name beside it, through its own handle, and schedules that name
// for deletion at the restart; gives the file its name back when the
// scheduling fails. True when scheduled. The scheduling takes a path: the
// restart resolves it again.
bool RenameAndSchedule(const platform::UniqueHeldItem& folder, const char* folderPath, const char* name) {
  platform::UniqueHeldItem file;
  if (platform::OpenHeldFile(folder, name, file) != platform::HELD_FILE) return false;
  char renamed[app::MODULE_PATH_SIZE + RESTART_SUFFIX_SIZE];
  const size_t length = strnlen(name, app::MODULE_PATH_SIZE);
  if (length >= app::MODULE_PATH_SIZE) return false;
  for (uint32_t attempt = 0; attempt < RESTART_NAME_ATTEMPTS; ++attempt) {
    // name + "." + one or two digits + ".del"
    char* at = renamed + length;
    std::memcpy(renamed, name, length);
    *at++ = '.';
    if (attempt >= 10) *at++ = static_cast<char>('0' + attempt / 10);
    *at++ = static_cast<char>('0' + attempt % 10);
    std::memcpy(at, ".del", sizeof ".del");
    // Refused when the name is taken, say.
    if (platform::RenameHeldItem(file, folder, renamed) != platform::ANSWER_YES) continue;
    char path[PRODUCT_PATH_SIZE + RESTART_SUFFIX_SIZE];
    if (app::JoinPath(path, sizeof path, folderPath, renamed) &&
        platform::DeleteAtRestart(path) == platform::ANSWER_YES) {
      return true;
    }
    platform::RenameHeldItem(file, folder, name);
    return false;
  }
  return false;
}

// True when the held `parent` lists nothing but the sub-folder `name` (a
// real folder).
bool HoldsOnly(const platform::UniqueHeldItem& parent, const char* name) {
  platform::HeldEntry entry;
  bool found = false;
  for (int more = platform::NextHeldEntry(parent, 1, entry); more == platform::ANSWER_YES;
       more = platform::NextHeldEntry(parent, 0, entry)) {
    const bool self = std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0;
    if (entry.isFolder != 0 && self) continue;
    if (entry.isFolder == 0 || entry.isLink != 0 || entry.nameExact == 0 ||
        !package::SameFileName(entry.name, name)) {
      return false;
    }
    found = true;
  }
  return found;
}

}  // namespace

void RemoveTargetFolder(const app::AppState& state, const char* targetFolder, FolderPair& pair) {
  if (!pair.usable) return;
  // Gone (or missing from the start): the parent goes too when empty.
  if (!pair.folder.IsValid() ||
      DeleteHeldTree(pair.folder, static_cast<uint32_t>(strnlen(targetFolder, app::TARGET_FOLDER_SIZE)))) {
    RemoveEmptyParent(pair);
    return;
  }

  // Still there, still held: the program runs from its copy in it, or a
  // file is in use.
  ProductNames product;
  CollectProductNames(state, product);
  bool present[PRODUCT_FILE_COUNT] = {};
  FindProductFiles(pair.folder, product, present);
  uint32_t scheduled = 0;
  for (uint32_t index = 0; index < product.count; ++index) {
    if (present[index] && RenameAndSchedule(pair.folder, targetFolder, product.names[index])) ++scheduled;
  }
  if (scheduled > 0 && platform::DeleteAtRestart(targetFolder) == platform::ANSWER_YES) {
    char folderName[app::TARGET_FOLDER_SIZE];
    app::CopyText(folderName, sizeof folderName, targetFolder);
    KeepLastComponent(folderName);
    if (HoldsOnly(pair.parent, folderName)) platform::DeleteAtRestart(pair.parentPath);
  }
  pair.usable = false;
  pair.folder.Reset();
  pair.parent.Reset();
}

}  // namespace setup

// The held-folder seam over the in-memory file system. A handle refers to a
// node by its identity, never by its path, so that what the documented
// Windows calls do can be shown where Wine cannot show it:
// - "NtCreateFile function" (winternl.h) and "OBJECT_ATTRIBUTES structure"
//   (wudfwdm.h / ntdef.h): a name opened with a RootDirectory is looked up in
//   the folder that handle refers to, wherever it now is; with
//   FILE_OPEN_REPARSE_POINT a link is opened as itself, never followed.
// - "NtQueryDirectoryFile function" (ntifs.h): the listing is read through
//   the handle; RestartScan starts it over.
// - "FILE_DISPOSITION_INFORMATION structure" (ntddk.h) and [MS-FSA]
//   2.1.5.15.3 "FileDispositionInformation": deletion through the handle; a
//   read-only file is refused (STATUS_CANNOT_DELETE), a folder that is not
//   empty too (STATUS_DIRECTORY_NOT_EMPTY); a link goes alone; an entry still
//   open elsewhere stays until closed.
// - "FILE_RENAME_INFORMATION structure" (ntifs.h): renamed within the root
//   folder; ReplaceIfExists FALSE refuses an existing name.
// - "CreateFileA function" (fileapi.h), dwShareMode: an open that does not
//   share deletion keeps others from renaming or deleting the folder.
#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/held_folders.h"

namespace platform::fake {

namespace {

struct HeldItem {
  uint64_t id = 0;        // the node held, 0 for a root
  std::string rootKey;    // a drive or share root, which is no node
  bool holdsFolder = false;
  std::vector<HeldEntry> listing;
  size_t next = 0;
};

struct HeldState {
  std::set<std::string> failHold;
  std::multiset<uint64_t> heldFolders;
  int openItems = 0;
};

HeldState& Held() {
  static HeldState state;
  return state;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The key of the node `id` now, empty when it is gone.
std::string KeyOfId(uint64_t id) {
  for (const auto& [key, node] : Nodes()) {
    if (node.id == id) return key;
  }
  return std::string();
}

const HeldItem* ItemOf(const UniqueHeldItem& item) { return static_cast<const HeldItem*>(item.Get()); }

// The key the held folder has now; false when it is gone or no folder is
// held.
bool FolderKey(const UniqueHeldItem& folder, std::string& key) {
  key.clear();
  const HeldItem* held = ItemOf(folder);
  if (held == nullptr || !held->holdsFolder) return false;
  key = held->id == 0 ? held->rootKey : KeyOfId(held->id);
  return held->id == 0 || !key.empty();
}

std::string PathOfKey(const std::string& key) {
  auto found = Nodes().find(key);
  return found != Nodes().end() ? found->second.path : key;
}

void Keep(uint64_t id, const std::string& rootKey, bool holdsFolder, UniqueHeldItem& item) {
  auto* held = new HeldItem;
  held->id = id;
  held->rootKey = rootKey;
  held->holdsFolder = holdsFolder;
  if (holdsFolder && id != 0) Held().heldFolders.insert(id);
  ++Held().openItems;
  item.Reset(held);
}

// Opens the node at `key` itself: a real folder is held, a link kept for
// its deletion, a file (with `keepFile`) kept for its deletion.
int OpenNode(const std::string& key, bool keepFile, UniqueHeldItem& item) {
  item.Reset();
  auto found = Nodes().find(key);
  if (found == Nodes().end()) return HELD_MISSING;
  const Node& node = found->second;
  if (node.isLink) {
    Keep(node.id, std::string(), false, item);
    return HELD_LINK;
  }
  if (!node.isFolder) {
    if (keepFile) Keep(node.id, std::string(), false, item);
    return HELD_FILE;
  }
  if (Held().failHold.count(key) != 0) return HELD_UNAVAILABLE;
  Keep(node.id, std::string(), true, item);
  return HELD_FOLDER;
}

std::string NarrowName(const SystemName& name) {
  std::string text;
  for (uint32_t at = 0; at < name.length; ++at) text += static_cast<char>(name.units[at]);
  return text;
}

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string::npos;
}

HeldEntry MakeHeldEntry(const std::string& name, const Node* node) {
  HeldEntry entry{};
  entry.isFolder = node == nullptr || node->isFolder ? 1 : 0;
  entry.isLink = node != nullptr && node->isLink ? 1 : 0;
  entry.nameExact = node == nullptr || !node->nameInexact ? 1 : 0;
  if (entry.nameExact != 0) name.copy(entry.name, sizeof entry.name - 1);
  for (char c : name) entry.systemName.units[entry.systemName.length++] = static_cast<unsigned char>(c);
  return entry;
}

}  // namespace

bool IsHeld(uint64_t id) { return Held().heldFolders.count(id) != 0; }

void ResetHeld() { Held().failHold.clear(); }

int OpenHeldItems() { return Held().openItems; }

void FailHold(const std::string& path) { Held().failHold.insert(Real(path, false)); }

void SetNameWithoutAnsiForm(const std::string& path) {
  auto found = Nodes().find(Real(path, false));
  if (found != Nodes().end()) found->second.nameInexact = true;
}

void ExchangeEntries(const std::string& first, const std::string& second) {
  const std::string a = Real(first, false);
  const std::string b = Real(second, false);
  const std::string aPath = PathOfKey(a);
  const std::string bPath = PathOfKey(b);
  std::map<std::string, Node> moved;
  for (auto it = Nodes().begin(); it != Nodes().end();) {
    const std::string& key = it->first;
    const bool inA = key == a || key.compare(0, a.size() + 1, a + "\\") == 0;
    const bool inB = key == b || key.compare(0, b.size() + 1, b + "\\") == 0;
    if (!inA && !inB) {
      ++it;
      continue;
    }
    Node node = it->second;
    const std::string& from = inA ? a : b;
    const std::string& to = inA ? b : a;
    const std::string& fromPath = inA ? aPath : bPath;
    const std::string& toPath = inA ? bPath : aPath;
    node.path = toPath + node.path.substr(std::min(node.path.size(), fromPath.size()));
    moved[to + key.substr(from.size())] = node;
    it = Nodes().erase(it);
  }
  for (auto& [key, node] : moved) Nodes()[key] = node;
}

}  // namespace platform::fake

namespace platform {

void CloseHeldItem(void* item) {
  auto* held = static_cast<fake::HeldItem*>(item);
  if (held->holdsFolder && held->id != 0) {
    auto found = fake::Held().heldFolders.find(held->id);
    if (found != fake::Held().heldFolders.end()) fake::Held().heldFolders.erase(found);
  }
  --fake::Held().openItems;
  delete held;
}

int HoldFolder(const char* path, UniqueHeldItem& item) {
  item.Reset();
  fake::LogCall("held_folders", std::string("HoldFolder ") + path);
  const std::string key = fake::Real(path, false);
  if (fake::IsRoot(key)) {
    fake::Keep(0, key, true, item);
    return HELD_FOLDER;
  }
  return fake::OpenNode(key, false, item);
}

int OpenHeldName(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item) {
  item.Reset();
  std::string parent;
  const bool held = fake::FolderKey(folder, parent);
  fake::LogCall("held_folders", "OpenHeldName " + fake::PathOfKey(parent) + " | " + name);
  if (!held || !fake::IsPlainName(name)) return HELD_UNAVAILABLE;
  return fake::OpenNode(parent + "\\" + fake::Upper(name), false, item);
}

int OpenHeldEntry(const UniqueHeldItem& folder, const HeldEntry& entry, UniqueHeldItem& item) {
  item.Reset();
  std::string parent;
  const bool held = fake::FolderKey(folder, parent);
  const std::string name = fake::NarrowName(entry.systemName);
  fake::LogCall("held_folders", "OpenHeldEntry " + fake::PathOfKey(parent) + " | " + name);
  if (!held || !fake::IsPlainName(name)) return HELD_UNAVAILABLE;
  const std::string key = parent + "\\" + fake::Upper(name);
  if (entry.isFolder == 0 || entry.isLink != 0) {
    auto found = fake::Nodes().find(key);
    if (found == fake::Nodes().end()) return HELD_MISSING;
    fake::Keep(found->second.id, std::string(), false, item);
    return entry.isLink != 0 ? HELD_LINK : HELD_FILE;
  }
  return fake::OpenNode(key, true, item);
}

int OpenHeldFile(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item) {
  item.Reset();
  std::string parent;
  const bool held = fake::FolderKey(folder, parent);
  fake::LogCall("held_folders", "OpenHeldFile " + fake::PathOfKey(parent) + " | " + name);
  if (!held || !fake::IsPlainName(name)) return HELD_UNAVAILABLE;
  auto found = fake::Nodes().find(parent + "\\" + fake::Upper(name));
  if (found == fake::Nodes().end()) return HELD_MISSING;
  if (found->second.isFolder) return HELD_UNAVAILABLE;
  fake::Keep(found->second.id, std::string(), false, item);
  return HELD_FILE;
}

int CreateHeldFolder(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item) {
  item.Reset();
  std::string parent;
  const bool held = fake::FolderKey(folder, parent);
  const std::string parentPath = fake::PathOfKey(parent);
  fake::LogCall("held_folders", "CreateHeldFolder " + parentPath + " | " + name);
  if (!held || !fake::IsPlainName(name)) return HELD_UNAVAILABLE;
  const std::string key = parent + "\\" + fake::Upper(name);
  if (fake::Nodes().count(key) != 0) {
    const int kind = fake::OpenNode(key, false, item);
    if (kind == HELD_LINK) item.Reset();
    return kind;
  }
  if (fake::CreateFails(key)) return HELD_UNAVAILABLE;
  fake::Node& node = fake::NewNode(key);
  node.path = parentPath + "\\" + name;
  node.isFolder = true;
  return fake::OpenNode(key, false, item) == HELD_FOLDER ? HELD_CREATED : HELD_UNAVAILABLE;
}

int NextHeldEntry(const UniqueHeldItem& folder, int restart, HeldEntry& entry) {
  auto* held = static_cast<fake::HeldItem*>(folder.Get());
  if (held == nullptr || !held->holdsFolder) return 0;
  if (restart != 0) {
    std::string key;
    const bool present = fake::FolderKey(folder, key);
    fake::LogCall("held_folders", "ListHeld " + fake::PathOfKey(key));
    held->listing.clear();
    held->next = 0;
    if (!present || fake::ListingFails(key)) return 0;
    if (!fake::IsRoot(key)) {
      held->listing.push_back(fake::MakeHeldEntry(".", nullptr));
      held->listing.push_back(fake::MakeHeldEntry("..", nullptr));
    }
    for (const auto& [other, node] : fake::Nodes()) {
      if (fake::ParentKey(other) == key) {
        held->listing.push_back(fake::MakeHeldEntry(fake::LastComponent(node.path), &node));
      }
    }
  }
  if (held->next >= held->listing.size()) return 0;
  entry = held->listing[held->next++];
  return 1;
}

int DeleteHeldItem(UniqueHeldItem& item) {
  const fake::HeldItem* held = fake::ItemOf(item);
  fake::LogCall("held_folders", "DeleteHeld " + fake::PathOfKey(held != nullptr && held->id != 0 ? fake::KeyOfId(held->id) : ""));
  // Found again after the log line: a test may move things at that moment.
  const std::string key = held != nullptr && held->id != 0 ? fake::KeyOfId(held->id) : std::string();
  auto found = fake::Nodes().find(key);
  if (key.empty() || found == fake::Nodes().end()) return 0;
  const fake::Node& node = found->second;
  if (node.readOnly || node.inUse || fake::RemoveFails(key)) return 0;
  if (node.isLink && !node.linkRemovable) return 0;
  if (!node.isLink && node.isFolder && fake::HasChildren(key)) return 0;
  if (!node.deletePending) fake::Nodes().erase(found);
  item.Reset();
  return 1;
}

int RenameHeldItem(const UniqueHeldItem& item, const UniqueHeldItem& folder, const char* name) {
  const fake::HeldItem* held = fake::ItemOf(item);
  const std::string key = held != nullptr && held->id != 0 ? fake::KeyOfId(held->id) : std::string();
  std::string parent;
  const bool inFolder = fake::FolderKey(folder, parent);
  fake::LogCall("held_folders", "RenameHeld " + fake::PathOfKey(key) + " | " + name);
  auto found = fake::Nodes().find(key);
  if (!inFolder || key.empty() || found == fake::Nodes().end() || found->second.isFolder ||
      fake::RenameFails(key) || !fake::IsPlainName(name)) {
    return 0;
  }
  const std::string newKey = parent + "\\" + fake::Upper(name);
  if (fake::Nodes().count(newKey) != 0) return 0;
  fake::Node node = found->second;
  fake::Nodes().erase(found);
  node.path = fake::PathOfKey(parent) + "\\" + name;
  fake::Nodes()[newKey] = node;
  return 1;
}

}  // namespace platform

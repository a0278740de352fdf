// The fake of the files seam (files.h): a file system held in a map, shared
// with the held-folder fake, with the failures a test injects.
#include "platform/fake/fake_files.h"


#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/files.h"

namespace platform::fake {

namespace {

struct WriteLimit {
  uint32_t bytes;
  bool reportSuccess;
};

struct Listing {
  std::vector<FolderEntry> entries;
  size_t next = 0;
};

constexpr char kSeam[] = "files";

struct State {
  std::map<std::string, Node> nodes;  // key: upper-case path
  std::set<std::string> failCreate;
  std::set<std::string> failRemove;
  std::set<std::string> failListing;
  std::map<std::string, WriteLimit> writeLimits;
  int openListings = 0;
  uint64_t nextNodeId = 1;
  std::set<std::string> failRename;
  bool failDeleteAtRestart = false;
  std::vector<std::string> pendingDeletes;
};

State& TheState() {
  static State state;
  return state;
}

std::string Trimmed(const std::string& path) {
  std::string result = path;
  while (result.size() > 1 && result.back() == '\\') {
    result.pop_back();
  }
  return result;
}

}  // namespace

std::map<std::string, Node>& Nodes() { return TheState().nodes; }

Node& NewNode(const std::string& key) {
  Node& node = TheState().nodes[key];
  node = Node();
  node.id = TheState().nextNodeId++;
  return node;
}

bool CreateFails(const std::string& key) { return TheState().failCreate.count(key) != 0; }
bool RemoveFails(const std::string& key) { return TheState().failRemove.count(key) != 0; }
bool ListingFails(const std::string& key) { return TheState().failListing.count(key) != 0; }
bool RenameFails(const std::string& key) { return TheState().failRename.count(key) != 0; }

std::string LastComponent(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

std::string Key(const std::string& path) {
  std::string key = Trimmed(path);
  for (char& c : key) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return key;
}

std::string ParentKey(const std::string& key) {
  const size_t at = key.rfind('\\');
  return at == std::string::npos ? std::string() : key.substr(0, at);
}

// Drive roots ("C:"), share roots ("\\SERVER\SHARE", "\\SERVER") and the
// root of the current drive ("") always exist and are never created.
bool IsRoot(const std::string& key) {
  if (key.empty() || (key.size() == 2 && key[1] == ':')) {
    return true;
  }
  if (key.size() > 2 && key[0] == '\\' && key[1] == '\\') {
    return std::count(key.begin() + 2, key.end(), '\\') <= 1;
  }
  return false;
}

// The key that `key` reaches when every link along it is followed; with
// `followLast` false a link in the last component is the link itself, as for
// the operations that act on an entry rather than through it.
std::string Resolve(std::string key, bool followLast) {
  const auto& nodes = TheState().nodes;
  // A chain longer than this is a loop of links; the key is then left as is.
  for (int hops = 0; hops < 40; ++hops) {
    bool changed = false;
    for (size_t at = key.find('\\', 1); at != std::string::npos; at = key.find('\\', at + 1)) {
      auto found = nodes.find(key.substr(0, at));
      if (found != nodes.end() && found->second.isLink) {
        key = found->second.linkTarget + key.substr(at);
        changed = true;
        break;
      }
    }
    if (!changed && followLast) {
      auto found = nodes.find(key);
      if (found != nodes.end() && found->second.isLink) {
        key = found->second.linkTarget;
        changed = true;
      }
    }
    if (!changed) {
      return key;
    }
  }
  return key;
}

std::string Real(const std::string& path, bool followLast) {
  return Resolve(Key(path), followLast);
}

bool HasChildren(const std::string& key) {
  for (const auto& [other, node] : TheState().nodes) {
    if (ParentKey(other) == key) {
      return true;
    }
  }
  return false;
}

namespace {

bool FolderKeyExists(const std::string& key) {
  const std::string real = Resolve(key, true);
  if (IsRoot(real)) {
    return true;
  }
  auto found = TheState().nodes.find(real);
  return found != TheState().nodes.end() && found->second.isFolder;
}

// The path text of a new node at `key`: as given when no link lies on the
// way, else the parent's text and the given last component.
std::string PathFor(const std::string& given, const std::string& key) {
  const std::string trimmed = Trimmed(given);
  if (key == Key(given)) {
    return trimmed;
  }
  const std::string parent = ParentKey(key);
  auto found = TheState().nodes.find(parent);
  const std::string parentPath = found != TheState().nodes.end() ? found->second.path : parent;
  return parentPath + "\\" + trimmed.substr(trimmed.rfind('\\') + 1);
}

Node* FindNode(const std::string& path, bool followLast = true) {
  auto found = TheState().nodes.find(Real(path, followLast));
  return found == TheState().nodes.end() ? nullptr : &found->second;
}

Node& AddNode(const std::string& path, bool isFolder, const std::string& content) {
  const std::string key = Real(path, false);
  const std::string parent = ParentKey(key);
  if (!IsRoot(parent) && !FolderKeyExists(parent)) {
    AddFolder(key == Key(path) ? Trimmed(path).substr(0, parent.size()) : parent);
  }
  Node& node = TheState().nodes.count(key) != 0 ? TheState().nodes[key] : NewNode(key);
  node.path = PathFor(path, key);
  node.isFolder = isFolder;
  node.content = content;
  return node;
}

// A name with no exact ANSI form is listed without one, as the Win32 layer
// lists it.
FolderEntry MakeEntry(const std::string& name, const Node* node) {
  FolderEntry entry{};
  entry.nameExact = node == nullptr || !node->nameInexact ? 1 : 0;
  if (entry.nameExact != 0) {
    std::strncpy(entry.name, name.c_str(), sizeof entry.name - 1);
  }
  entry.isFolder = node == nullptr || node->isFolder ? 1 : 0;
  entry.isLink = node != nullptr && node->isLink ? 1 : 0;
  return entry;
}

}  // namespace

// --- Control ----------------------------------------------------------------

void ResetFileSystem() { TheState() = State(); }





void AddFolder(const std::string& path) { AddNode(path, true, std::string()); }
void AddFolderLink(const std::string& path, const std::string& target, bool removable) {
  Node& node = AddNode(path, true, std::string());
  node.isLink = true;
  node.linkTarget = Real(target);
  node.linkRemovable = removable;
}
bool LinkExists(const std::string& path) {
  const Node* node = FindNode(path, false);
  return node != nullptr && node->isLink;
}
void FailRename(const std::string& path) { TheState().failRename.insert(Real(path, false)); }
void FailDeleteAtRestart() { TheState().failDeleteAtRestart = true; }
const std::vector<std::string>& PendingDeletes() { return TheState().pendingDeletes; }
void Restart() {
  State& state = TheState();
  for (const std::string& path : state.pendingDeletes) {
    const std::string key = Real(path, false);
    auto found = state.nodes.find(key);
    if (found != state.nodes.end() && (!found->second.isFolder || !HasChildren(key))) {
      state.nodes.erase(found);
    }
  }
  state.pendingDeletes.clear();
  for (auto& [key, node] : state.nodes) {
    node.inUse = false;
    node.deletePending = false;
  }
}
void AddFile(const std::string& path, const std::string& content) {
  AddNode(path, false, content);
}
bool FolderExists(const std::string& path) { return FolderKeyExists(Key(path)); }
bool FileExists(const std::string& path) {
  const Node* node = FindNode(path);
  return node != nullptr && !node->isFolder;
}
std::string FileContent(const std::string& path) {
  const Node* node = FindNode(path);
  return node != nullptr && !node->isFolder ? node->content : std::string();
}
std::vector<std::string> Paths() {
  std::vector<std::string> result;
  for (const auto& [key, node] : TheState().nodes) {
    result.push_back(node.path);
  }
  return result;
}
void SetReadOnly(const std::string& path) {
  if (Node* node = FindNode(path)) {
    node->readOnly = true;
  }
}
void SetInUse(const std::string& path) {
  if (Node* node = FindNode(path)) {
    node->inUse = true;
  }
}
void SetDeletePending(const std::string& path) {
  if (Node* node = FindNode(path, false)) {
    node->deletePending = true;
  }
}
void FailCreateFolder(const std::string& path) { TheState().failCreate.insert(Key(path)); }
void FailRemoveFolder(const std::string& path) { TheState().failRemove.insert(Key(path)); }
void FailListing(const std::string& path) { TheState().failListing.insert(Key(path)); }
void LimitWrite(const std::string& path, uint32_t bytes, bool reportSuccess) {
  TheState().writeLimits[Key(path)] = WriteLimit{bytes, reportSuccess};
}
int OpenListings() { return TheState().openListings; }



bool HasExactAnsiForm(const std::string& name) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace platform::fake

// --- The seam ---------------------------------------------------------------

namespace platform {

using fake::TheState;





int CreateFolder(const char* path) {
  fake::LogCall(fake::kSeam, std::string("CreateFolder ") + path);
  const std::string key = fake::Real(path, false);
  if (TheState().failCreate.count(fake::Key(path)) != 0 || fake::IsRoot(key)) {
    return FOLDER_NOT_CREATED;
  }
  if (TheState().nodes.count(key) != 0) {
    return FOLDER_ALREADY_EXISTS;
  }
  if (!fake::FolderKeyExists(fake::ParentKey(key))) {
    return FOLDER_NOT_CREATED;
  }
  fake::Node& node = fake::NewNode(key);
  node.path = fake::PathFor(path, key);
  node.isFolder = true;
  return FOLDER_CREATED;
}

int RemoveFile(const char* path) {
  fake::LogCall(fake::kSeam, std::string("RemoveFile ") + path);
  const fake::Node* node = fake::FindNode(path, false);
  if (node == nullptr || node->isFolder || node->readOnly || node->inUse) {
    return 0;
  }
  if (node->deletePending) {
    return 1;
  }
  TheState().nodes.erase(fake::Real(path, false));
  return 1;
}

int RemoveFolder(const char* path) {
  fake::LogCall(fake::kSeam, std::string("RemoveFolder ") + path);
  const std::string key = fake::Real(path, false);
  const fake::Node* node = fake::FindNode(path, false);
  if (node == nullptr || !node->isFolder || TheState().failRemove.count(fake::Key(path)) != 0) {
    return 0;
  }
  // A link goes alone, never what it names; a held folder cannot go.
  if (node->isLink ? !node->linkRemovable
                   : fake::HasChildren(key) || fake::IsHeld(node->id)) {
    return 0;
  }
  TheState().nodes.erase(key);
  return 1;
}

int RenameFile(const char* from, const char* to) {
  fake::LogCall(fake::kSeam, std::string("RenameFile ") + from + " | " + to);
  const std::string key = fake::Real(from, false);
  const std::string newKey = fake::Real(to, false);
  auto found = TheState().nodes.find(key);
  if (found == TheState().nodes.end() || found->second.isFolder ||
      TheState().failRename.count(key) != 0 || TheState().nodes.count(newKey) != 0 ||
      !fake::FolderKeyExists(fake::ParentKey(newKey))) {
    return 0;
  }
  fake::Node node = found->second;
  TheState().nodes.erase(found);
  node.path = fake::PathFor(to, newKey);
  TheState().nodes[newKey] = node;
  return 1;
}

int DeleteAtRestart(const char* path) {
  fake::LogCall(fake::kSeam, std::string("DeleteAtRestart ") + path);
  if (TheState().failDeleteAtRestart) {
    return 0;
  }
  TheState().pendingDeletes.push_back(path);
  return 1;
}

void CloseFolderListing(void* listing) {
  fake::LogCall(fake::kSeam, "CloseFolderListing");
  --TheState().openListings;
  delete static_cast<fake::Listing*>(listing);
}

int OpenFolderListing(const char* pattern, UniqueFolderListing& listing, FolderEntry& first) {
  listing.Reset();
  fake::LogCall(fake::kSeam, std::string("OpenFolderListing ") + pattern);
  std::string folder = pattern;
  if (folder.size() < 3 || folder.compare(folder.size() - 3, 3, "*.*") != 0) {
    return 0;
  }
  folder.resize(folder.size() - 3);
  const std::string key = fake::Real(folder);
  if (!fake::FolderKeyExists(key) || TheState().failListing.count(fake::Key(folder)) != 0) {
    return 0;
  }
  auto* opened = new fake::Listing;
  if (!fake::IsRoot(key)) {
    opened->entries.push_back(fake::MakeEntry(".", nullptr));
    opened->entries.push_back(fake::MakeEntry("..", nullptr));
  }
  for (const auto& [other, node] : TheState().nodes) {
    if (fake::ParentKey(other) == key) {
      opened->entries.push_back(fake::MakeEntry(node.path.substr(node.path.rfind('\\') + 1), &node));
    }
  }
  if (opened->entries.empty()) {
    delete opened;
    return 0;
  }
  first = opened->entries[0];
  opened->next = 1;
  ++TheState().openListings;
  listing.Reset(opened);
  return 1;
}

int NextFolderEntry(const UniqueFolderListing& listing, FolderEntry& entry) {
  auto* opened = static_cast<fake::Listing*>(listing.Get());
  if (opened == nullptr || opened->next >= opened->entries.size()) {
    return 0;
  }
  entry = opened->entries[opened->next++];
  return 1;
}

BlockWrite WriteFileBlock(const char* path, const void* data, uint32_t length) {
  fake::LogCall(fake::kSeam, std::string("WriteFileBlock ") + path + " " + std::to_string(length));
  BlockWrite result{0, 0, 0};
  const std::string key = fake::Real(path);
  fake::Node* node = fake::FindNode(path);
  if (!fake::FolderKeyExists(fake::ParentKey(key)) || fake::IsRoot(key) ||
      (node != nullptr && (node->isFolder || node->readOnly || node->inUse))) {
    return result;
  }
  if (node == nullptr) {
    node = &fake::NewNode(key);
    node->path = fake::PathFor(path, key);
  }
  result.opened = 1;
  uint32_t written = length;
  result.writeReported = 1;
  auto limit = TheState().writeLimits.find(fake::Key(path));
  if (limit != TheState().writeLimits.end()) {
    written = std::min(length, limit->second.bytes);
    result.writeReported = limit->second.reportSuccess ? 1 : 0;
  }
  if (written > 0) {
    node->content.assign(static_cast<const char*>(data), written);
  } else {
    node->content.clear();
  }
  result.written = written;
  return result;
}









}  // namespace platform

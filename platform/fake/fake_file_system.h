// The in-memory file system of the fake platform, shared by its files seam
// (fake_files.cpp) and its held-folder seam (fake_held_folders.cpp). For
// the fakes' own use; tests use fake_files.h.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace platform::fake {

// One file, folder or folder link. Its identity (`id`) stays with it through
// renames and exchanges, so that a held handle keeps naming the same object
// wherever it has moved, as a handle does.
struct Node {
  uint64_t id = 0;
  std::string path;  // as first given, without a trailing backslash
  bool isFolder = false;
  std::string content;
  bool readOnly = false;
  bool inUse = false;
  bool deletePending = false;  // a delete succeeds but the entry stays listed
  bool isLink = false;         // a folder link; paths through it reach linkTarget
  std::string linkTarget;      // key of the folder the link names
  bool linkRemovable = false;  // removal takes the link (Windows), or is refused (Wine)
  bool nameInexact = false;    // the name has no exact form in the ANSI code page
};

// Every node by key (its path in upper case, links not followed).
std::map<std::string, Node>& Nodes();
// A node newly at `key`, with a fresh identity.
Node& NewNode(const std::string& key);

std::string Key(const std::string& path);
std::string ParentKey(const std::string& key);
// `path` with every link on the way followed (the last one too when
// `followLast`).
std::string Real(const std::string& path, bool followLast = true);
bool IsRoot(const std::string& key);
bool HasChildren(const std::string& key);
// The last component of a node's path text.
std::string LastComponent(const std::string& path);

// Failures injected by key (fake_files.h).
bool CreateFails(const std::string& key);
bool RemoveFails(const std::string& key);
bool ListingFails(const std::string& key);
bool RenameFails(const std::string& key);

// Whether a held-folder handle holds the node `id` (then it cannot be
// removed by path).
bool IsHeld(uint64_t id);

}  // namespace platform::fake

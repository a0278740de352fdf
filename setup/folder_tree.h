// Path and folder-tree helpers of the setup procedures: create every missing
// folder of a path, delete a folder with everything below it, and cut a path
// to its folder or to its last component.
#pragma once

#include <cstdint>

#include "platform/files.h"

namespace setup {

// Size of CreateFolderTree's working copy and of DeleteFolderTree's pattern
// and entry-path texts, terminating zero included.
inline constexpr uint32_t CREATE_TREE_PATH_SIZE = 1024;
inline constexpr uint32_t DELETE_TREE_PATH_SIZE = 2048;

// Creates every missing folder of `path`, from the root outwards; the root (a
// drive such as C:, a share such as \\server\share, or the first component
// before a backslash at index 2 or later) is never created. 1 when every
// folder exists afterwards or there was nothing to create; 0 when `path` is
// null, shorter than 5 characters, longer than 1023, or a folder could not be
// created for a reason other than that it exists (folders made before stay).
int CreateFolderTree(const char* path);

// Deletes `folder` with all files and sub-folders below it, except
// sub-folders whose names begin with a full stop. A file that cannot be
// deleted (or whose deletion stays pending, so that it is listed again), a
// sub-folder that cannot be removed, or an entry whose path would not fit
// 2047 characters ends the walk of its folder there; that folder then stays.
// A missing folder or an empty text changes nothing. Always 1.
// No link is ever entered: a link met is removed as a link, or, when the
// system refuses, left and passed over while the walk goes on. Each folder
// is held open while its entries go. A `folder` that is itself a link is
// removed as a link only, or left.
int DeleteFolderTree(const char* folder);

// Results of HoldFolderPair.
inline constexpr int FOLDER_PAIR_HELD = 1;     // no link: held open where they could be opened
inline constexpr int FOLDER_PAIR_MISSING = 0;  // could not be created
inline constexpr int FOLDER_PAIR_LINKED = -1;  // one is a link (or a file): leave both alone

// A product folder such as ...\Kelvane\Brevik or ...\KV\Brevik and its
// parent, each held open while the work below them goes on: a link at the
// parent could make the folder name a real folder elsewhere.
struct FolderPair {
  int usable = 0;  // 1 after FOLDER_PAIR_HELD until removed
  char parentPath[CREATE_TREE_PATH_SIZE] = {};
  platform::UniqueFolderGuard parent;
  platform::UniqueFolderGuard folder;
};

// Holds `folder` and its parent (`folder` cut at its last backslash). With
// `create` set, first makes the parent with CreateFolderTree and, once the
// parent is held and no link, the folder itself, so that the folders made are
// those CreateFolderTree(folder) would make. FOLDER_PAIR_HELD when neither is
// a link, each then held unless it is missing or cannot be opened;
// otherwise nothing is held and the pair is not usable.
int HoldFolderPair(const char* folder, int create, FolderPair& pair);

// Reports the outcome of HoldFolderPair (`held`) for `folder` in the setup
// log, when one was asked for: a link always, a creation when `create` is 1.
// Returns `held`.
int LogFolderHeld(const char* folder, int create, int held);

// For a held pair: deletes `folder` with DeleteFolderTree, then removes the
// parent when it is empty. Each is released just before its removal, since
// a held folder cannot be removed. A pair not held is left alone.
void RemoveFolderPair(const char* folder, FolderPair& pair);

// Releases a held pair and removes its parent when it is empty.
void RemoveEmptyParent(FolderPair& pair);

// Ends `path` at its last backslash: C:\Dir\Setup.exe gives C:\Dir, a
// trailing backslash is the one removed (C:\A\ gives C:\A), \Setup.exe gives
// an empty text; no backslash, no change.
void StripLastComponent(char* path);

// Keeps what follows the last backslash of `path`: C:\Dir\Setup.exe gives
// Setup.exe, C:\Dir\ an empty text; no backslash, no change.
void KeepLastComponent(char* path);

}  // namespace setup

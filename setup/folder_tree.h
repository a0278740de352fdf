// Path and folder-tree helpers of the setup procedures: create every missing
// folder of a path, delete a folder with everything below it, and cut a path
// to its folder or to its last component.
#pragma once

#include <cstdint>

#include "platform/answers.h"
#include "platform/held_folders.h"

namespace setup {

// Size of CreateFolderTree's working copy and of DeleteFolderTree's pattern
// and entry-path texts, terminating zero included.
inline constexpr uint32_t CREATE_TREE_PATH_SIZE = 1024;
inline constexpr uint32_t DELETE_TREE_PATH_SIZE = 2048;

// Creates every missing folder of `path`, from the root outwards; the root (a
// drive such as C:, a share such as \\server\share, or the first component
// before a backslash at index 2 or later) is never created. ANSWER_YES when
// every folder exists afterwards or there was nothing to create; ANSWER_NO
// when `path` is null, shorter than 5 characters, longer than 1023, or a
// folder could not be created for a reason other than that it exists
// (folders made before stay).
int CreateFolderTree(const char* path);

// Deletes `folder` with all files and sub-folders below it, except
// sub-folders whose names begin with a full stop. A file that cannot be
// deleted (or whose deletion stays pending, so that it is listed again), a
// sub-folder that cannot be removed, or an entry whose path would not fit
// 2047 characters ends the walk of its folder there; that folder then stays.
// A missing folder or an empty text changes nothing. Always ANSWER_YES.
// The walk works relative to the folders it holds: each folder is held
// without following a link and listed through its handle, each entry is
// opened relative to it without following a link and deleted through its
// own handle, and a sub-folder is entered only through a handle opened
// relative to its parent; no name is joined into a path and resolved again.
// No link is ever entered: a link met is removed as a link, or, when the
// system refuses, left and passed over while the walk goes on. An entry
// whose name has no exact ANSI form goes like any other, opened by its
// system name. A `folder` that is itself a link is removed as a link only,
// or left; one that cannot be held is not walked.
int DeleteFolderTree(const char* folder);

// The walk of DeleteFolderTree below the held `folder`, whose path text is
// `pathLength` characters long (for the 2047-character rule), then the
// folder itself through its handle. True when the folder went (the handle
// is then released); false when it stays, still held.
bool DeleteHeldTree(platform::UniqueHeldItem& folder, uint32_t pathLength);

// Results of HoldFolderPair.
// Both real folders, held (the folder unless missing).
inline constexpr int FOLDER_PAIR_HELD = platform::ANSWER_SUCCESS;
inline constexpr int FOLDER_PAIR_MISSING = -1;  // not created, or one cannot be held
inline constexpr int FOLDER_PAIR_LINKED = -2;   // one is a link: leave both alone
inline constexpr int FOLDER_PAIR_FILE = -3;     // one is a file: leave both alone

// A product folder such as ...\Kelvane\Brevik or ...\KV\Brevik and its
// parent, each held open while the work below them goes on; the folder is
// opened relative to the held parent, so a link or a swap at the parent
// cannot make the folder name a real folder elsewhere.
struct FolderPair {
  bool usable = false;  // after FOLDER_PAIR_HELD until removed
  char parentPath[CREATE_TREE_PATH_SIZE] = {};
  platform::UniqueHeldItem parent;
  platform::UniqueHeldItem folder;  // empty when the folder is missing
};

// Holds the parent of `folder` (`folder` cut at its last backslash) by its
// path, then `folder` relative to it. With `create` set, first makes the
// parent with CreateFolderTree and, once it is held and no link, creates the
// folder relative to it, so that the folders made are those
// CreateFolderTree(folder) would make. FOLDER_PAIR_HELD when both are real
// folders (on removal the folder may be missing); otherwise nothing is held
// and the pair is not usable: a folder that cannot be held is never worked on.
int HoldFolderPair(const char* folder, bool create, FolderPair& pair);

// Reports the outcome of HoldFolderPair (`held`) for `folder` in the setup
// log, when one was asked for: a link or a file in the way always, a
// creation when `create` is set.
void LogFolderHeld(const char* folder, bool create, int held);

// For a held pair: deletes the folder (`folder` is its path text) with
// everything in it as DeleteFolderTree does, through the pair's handles,
// then the parent when it is empty. A pair not held is left alone.
void RemoveFolderPair(const char* folder, FolderPair& pair);

// Releases a held pair and deletes its parent, through its handle, when it
// is empty.
void RemoveEmptyParent(FolderPair& pair);

// Ends `path` at its last backslash: C:\Dir\Setup.exe gives C:\Dir, a
// trailing backslash is the one removed (C:\A\ gives C:\A), \Setup.exe gives
// an empty text; no backslash, no change.
void StripLastComponent(char* path);

// Keeps what follows the last backslash of `path`: C:\Dir\Setup.exe gives
// Setup.exe, C:\Dir\ an empty text; no backslash, no change.
void KeepLastComponent(char* path);

}  // namespace setup

// Platform operations on files and folders by path: create and remove
// folders, list a folder, delete, rename or schedule a file for deletion at
// the next restart, and write a whole file in one piece. Work below a folder
// that must not be redirected goes through platform/held_folders.h.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// Results of CreateFolder.
inline constexpr int FOLDER_CREATED = 0;
inline constexpr int FOLDER_ALREADY_EXISTS = 1;  // the system's error 183
inline constexpr int FOLDER_NOT_CREATED = 2;     // any other failure

// Creates folder `path` with default security; its parent must exist.
int CreateFolder(const char* path);

// Deletes file `path`. 1 when deleted, 0 otherwise (missing, read-only, in use).
int RemoveFile(const char* path);

// Removes folder `path`, which must be empty. 1 when removed, else 0. On a
// folder link (junction or symbolic link) Windows removes the link alone;
// Wine refuses one that is a Unix symbolic link (error 145).
int RemoveFolder(const char* path);

// Renames file `from` to `to` in the same folder, never replacing an existing
// `to`. A running program's file may be renamed. 1 when renamed, else 0.
int RenameFile(const char* from, const char* to);

// Schedules `path` (a file, or a folder that must then be empty) for deletion
// at the next restart. 1 when scheduled, else 0 (no rights, say).
int DeleteAtRestart(const char* path);

// One entry of a folder listing: its name (no folder part), whether it is a
// folder (the directory attribute) and whether it is a link (the
// reparse-point attribute: a junction, a symbolic link or a mount point,
// which a walk must never enter). The name is the system's name exactly in
// the ANSI code page, or empty with `nameExact` 0 when it has no such form
// (no best-fit neighbour is ever given).
inline constexpr uint32_t ENTRY_NAME_SIZE = 260;
struct FolderEntry {
  char name[ENTRY_NAME_SIZE];
  int nameExact;
  int isFolder;
  int isLink;
};

void CloseFolderListing(void* listing);

using UniqueFolderListing = UniqueHandle<NullableHandleTraits<void*, CloseFolderListing>>;

// Starts a listing of the entries that match `pattern` (a folder path joined
// with "*.*"), in the order the system keeps them, the folder's own "." and
// ".." entries included. Returns 1 with the first entry in `first` and the
// listing in `listing`; 0 when no listing can be had (folder missing or
// unreadable). A listing is a snapshot: start a new one to see changes.
int OpenFolderListing(const char* pattern, UniqueFolderListing& listing, FolderEntry& first);

// The next entry of a listing: 1 with `entry` filled, 0 at the end.
int NextFolderEntry(const UniqueFolderListing& listing, FolderEntry& entry);

// What one whole-file write did.
struct BlockWrite {
  int opened;         // 1 when the file was created or emptied
  int writeReported;  // 1 when the single write call reported success
  uint32_t written;   // bytes the write call reported written
};

// Creates file `path`, or empties an existing one (no sharing while open,
// normal attributes), writes `length` bytes from `data` with one write call
// and closes it. A file opened but not fully written stays as far as it got.
// `data` may be null when `length` is 0.
BlockWrite WriteFileBlock(const char* path, const void* data, uint32_t length);

}  // namespace platform

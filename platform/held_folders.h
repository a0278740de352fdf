// Platform operations relative to held folders: hold a folder without
// following a link, list it through its handle, open its entries relative to
// that handle (never following a link), create, rename and delete them
// through their own handles. Nothing here joins a name into a path: a folder
// renamed, exchanged or turned into a link after it was held cannot redirect
// the work below it.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// An open folder, file or link: a held folder shares reading and writing but
// not deletion, so nobody can rename, delete or replace it while it is held.
void CloseHeldItem(void* item);

using UniqueHeldItem = UniqueHandle<NullableHandleTraits<void*, CloseHeldItem>>;

// What an open found, read from the opened object itself.
inline constexpr int HELD_FOLDER = 0;       // a real folder, now held
inline constexpr int HELD_FILE = 1;         // a file (no link)
inline constexpr int HELD_LINK = 2;         // a junction, symbolic link or mount point
inline constexpr int HELD_MISSING = 3;      // nothing of that name: nothing held
inline constexpr int HELD_UNAVAILABLE = 4;  // there, but cannot be opened: nothing held

// The system's own name of an entry, in its own 16-bit units, handed back
// unchanged to open the entry: it never passes through the ANSI code page.
inline constexpr uint32_t SYSTEM_NAME_UNITS = 256;
struct SystemName {
  uint16_t units[SYSTEM_NAME_UNITS];
  uint32_t length;  // units used; no terminating zero
};

// One entry of a held folder's listing. `name` holds the name in the ANSI
// code page only when that text is exactly the system's name (no best fit,
// no default character, the round trip gives the same name) and fits
// HELD_NAME_SIZE; otherwise it is empty and `nameExact` is 0: such a name is
// never turned into a path, though `systemName` can still open the entry.
inline constexpr uint32_t HELD_NAME_SIZE = 260;
struct HeldEntry {
  char name[HELD_NAME_SIZE];
  int nameExact;
  int isFolder;  // the directory attribute
  int isLink;    // the reparse-point attribute: never entered
  SystemName systemName;
};

// Opens `path` itself, a link included, and tells what it is from the opened
// handle. A real folder is held in `item` (listing and deletion allowed); a
// link is kept open in `item` for deletion only; a file is not kept.
int HoldFolder(const char* path, UniqueHeldItem& item);

// Opens the sub-folder `name` of the held `folder` relative to its handle,
// never following a link: HELD_FOLDER holds a real folder in `item`; a link
// to a folder is kept open in `item` for its deletion alone; HELD_FILE (a
// file, or a link to one, in the way) holds nothing. `name` is an ANSI text
// without a folder part; one that is not valid ANSI text is HELD_UNAVAILABLE.
int OpenHeldName(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item);

// As OpenHeldName, for an entry of the folder's listing, opened by its
// system name. A link in the listing stays a link whatever the open reports;
// only an entry listed as a real folder is held as one, anything else is
// opened for deletion only (HELD_FILE or HELD_LINK as listed).
int OpenHeldEntry(const UniqueHeldItem& folder, const HeldEntry& entry, UniqueHeldItem& item);

// Opens the file or link `name` of the held `folder` for deletion only, as
// deleting a file by name does: a folder of that name is not opened. HELD_FILE
// (a link counts as a file here), HELD_MISSING or HELD_UNAVAILABLE, with the
// system's error as the thread's last error.
int OpenHeldFile(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item);

// Results of CreateHeldFolder besides the HELD_* kinds of what is there.
inline constexpr int HELD_CREATED = 5;  // a new folder, now held

// Creates the sub-folder `name` of the held `folder` relative to its handle,
// or opens the one there without following a link: HELD_CREATED or
// HELD_FOLDER with the folder held in `item`; HELD_FILE or HELD_LINK when
// such an entry is in the way (nothing held); HELD_UNAVAILABLE when it could
// not be created or opened.
int CreateHeldFolder(const UniqueHeldItem& folder, const char* name, UniqueHeldItem& item);

// The next entry of the held `folder`'s listing, read through its handle;
// `restart` starts the listing over, so that it shows what is there now. The
// folder's own "." and ".." entries come too. 1 with `entry` filled; 0 at the
// end or when the folder cannot be listed.
int NextHeldEntry(const UniqueHeldItem& folder, int restart, HeldEntry& entry);

// Deletes the opened item through its own handle: a file, a link (the link
// alone, never what it names) or an empty folder. On success the item is
// closed, which carries the deletion out unless another program still holds
// it open; on failure it stays open. 1 when the system took the deletion,
// else 0 with the system's error as the thread's last error.
int DeleteHeldItem(UniqueHeldItem& item);

// Renames the opened file `item` to `name` in the held `folder`, never
// replacing an existing entry. 1 when renamed, else 0.
int RenameHeldItem(const UniqueHeldItem& item, const UniqueHeldItem& folder, const char* name);

}  // namespace platform

// Control of the fake file system (files.h, and held_folders.h, which acts
// on the same files). After fake::Reset it is empty; drive and share roots
// always exist. Lines in the call log: "CreateFolder C:\A",
// "WriteFileBlock C:\A\x 12", "OpenFolderListing C:\A\*.*", and so on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::fake {

// Paths compare without regard to case; a trailing backslash is ignored.
void AddFolder(const std::string& path);  // parents are added as needed
void AddFile(const std::string& path, const std::string& content);  // parents too
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
std::string FileContent(const std::string& path);  // empty when missing
// Every path held, folders and files, in listing order.
std::vector<std::string> Paths();
// A read-only or in-use file can be neither deleted nor opened for writing.
void SetReadOnly(const std::string& path);
void SetInUse(const std::string& path);
// Deleting the file reports success, but it stays and is listed as before,
// as a file held open by another program with delete sharing is.
void SetDeletePending(const std::string& path);
// CreateFolder of `path` fails with an error other than already-exists.
void FailCreateFolder(const std::string& path);
// RemoveFolder of `path` fails even when the folder is empty.
void FailRemoveFolder(const std::string& path);
// A listing of folder `path` cannot be started.
void FailListing(const std::string& path);
// A write to `path` stops after `bytes` bytes and reports `reportSuccess`.
void LimitWrite(const std::string& path, uint32_t bytes, bool reportSuccess);
// Listings opened and not yet closed.
int OpenListings();
// A folder link at `path` naming the folder `target`: every path through it
// reaches the target, as the system follows it; opens relative to a held
// folder never follow it. RemoveFolder or DeleteHeldItem of the link
// removes the link alone when `removable` (Windows), else fails (Wine).
// SetDeletePending on a removable link makes its deletion succeed while it
// stays,
// as Wine's deletion through a handle does for a Unix symbolic link.
void AddFolderLink(const std::string& path, const std::string& target, bool removable);
bool LinkExists(const std::string& path);
// Folders and items held through platform/held_folders.h and not yet
// released.
int OpenHeldItems();
// `path` cannot be held: another program has it open without sharing it.
void FailHold(const std::string& path);
// The name of the entry at `path` has no exact form in the ANSI code page:
// listings give it without a name (its system name still opens it).
void SetNameWithoutAnsiForm(const std::string& path);
// Swaps the entries at `first` and `second`, with everything below them, in
// one step, as a rename that exchanges two names does (renameat2 with
// RENAME_EXCHANGE on Linux): handles already open keep their objects.
void ExchangeEntries(const std::string& first, const std::string& second);
// RenameFile of `path` fails.
void FailRename(const std::string& path);
// DeleteAtRestart fails.
void FailDeleteAtRestart();
// The paths given to DeleteAtRestart, in order.
const std::vector<std::string>& PendingDeletes();
// Carries out the pending deletions in order (a folder only when empty) and
// ends every program: no file is in use afterwards.
void Restart();


// Whether `name` has an exact form in the fake's ANSI code page (ASCII).
bool HasExactAnsiForm(const std::string& name);

}  // namespace platform::fake

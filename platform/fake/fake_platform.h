// Control of the in-memory platform that host tests link instead of the
// Windows layer: reset it, set the answers the system would give, inject the
// failures the logic must survive, and look at the resulting file system and
// the ordered log of the operations called.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/fake_seam_log.h"
#include "platform/platform.h"

namespace platform::fake {

// The whole fake back to its start state, every part at once (each part's
// header says what that is). The native tests' main runs it before every
// test. This part starts with both folder sources present and answering
// nothing (every query fails), Windows folder C:\WINDOWS, an empty file
// system whose drive and share roots always exist, no package, every version
// record refused, not a 64-bit host, no device interface, module path
// C:\Setup\BrevikSetup.exe, an empty call log.
void Reset();

// --- Call log --------------------------------------------------------------
// Every seam operation appends one line to the call log (fake_seam_log.h),
// "Operation arguments...", e.g. "QuerySpecialFolder 1 38 0" (source,
// folder, create flag), "CreateFolder C:\A", "WriteFileBlock C:\A\x 12",
// "OpenFolderListing C:\A\*.*".

// --- Special folders and the Windows folder -------------------------------
void SetLibraryMissing(int source);
void SetFunctionMissing(int source);
// Source `source` answers `path` for folder `folderId`; folders without an
// answer fail. An answer longer than the caller's buffer is reported as
// FOLDER_TOO_LONG.
void SetSpecialFolder(int source, int folderId, const std::string& path);
// Sources opened and not yet closed.
int OpenFolderSources();
void SetWindowsFolder(const std::string& path);
// GetWindowsFolder then answers 0.
void SetWindowsFolderFails();

// --- File system ------------------------------------------------------------
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

// --- Package ------------------------------------------------------------------
void SetPackage(const std::vector<uint8_t>& bytes);
void SetPackageMissing();
void SetPackageUnreadable();
// Package views opened and not yet released.
int OpenPackages();
// The module handle the last OpenPackage was asked about.
ModuleHandle LastPackageModule();

// --- System and devices -------------------------------------------------------
// Record `record` (VERSION_RECORD_*) is answered with `version`.
void SetVersion(int record, SystemVersion version);
// Record `record` is refused.
void RefuseVersion(int record);
// QueryWow64 returns `result` and, when WOW64_ANSWERED, reports `flag`.
void SetWow64(int result, int flag);
// OpenFirstDeviceInterface returns `outcome` (DEVICE_*).
void SetDeviceOutcome(int outcome);
// Device handles opened and not yet closed.
int OpenDevices();
// The program's own path as the system holds it. The fake's ANSI code page
// is plain ASCII: a name with any byte of 0x80 or above (UTF-8 "Иван",
// "Łukasz") has no exact ANSI form, so GetModulePath refuses such a path and
// GetModuleName such a file name, while CopyModuleFile copies the file at
// this path itself.
void SetModulePath(const std::string& path);
void SetModulePathFails();
const std::string& ModulePath();

// Whether `name` has an exact form in the fake's ANSI code page (ASCII).
bool HasExactAnsiForm(const std::string& name);

}  // namespace platform::fake

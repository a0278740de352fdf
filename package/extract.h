// Extraction of the package's files into the target folder, and their
// removal from it.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "package/extract_result.h"
#include "platform/answers.h"
#include "platform/held_folders.h"

namespace package {

// Size of an entry path (the target folder, a backslash, the entry's name),
// terminating zero included.
inline constexpr uint32_t ENTRY_PATH_SIZE = 1024;

// Refreshes state.packageTable from the package resource of state.instance
// (when the package is over 3276 bytes) and writes every entry, verified and
// unscrambled along the key chain, as a file in state.targetFolder. An entry
// fails when its data lies outside the package, its content does not match
// its digest, its name is refused (EntryMayBeWritten: not a plain file name,
// or naming the same file as another entry), its path would not fit 1023
// characters (or the target folder is empty), or its file cannot be created
// or fully written. A failed entry is not written and changes no existing
// file, except a write that stops short, which leaves the file as far as it
// got. All 21 entries are attempted. EXTRACT_OK, ExtractFailureResult(n) or
// EXTRACT_PACKAGE_MISSING.
int ExtractPackage(app::AppState& state);

// Creates `path`, or empties an existing file, and writes the `length` bytes
// at `data` with one write. ANSWER_YES when opened and all bytes were
// written, else ANSWER_NO.
int WriteWholeFile(const char* path, const void* data, uint32_t length);

// What DeletePackageFiles always answers: failures are passed over.
inline constexpr int DELETE_FILES_DONE = platform::ANSWER_SUCCESS;

// Deletes the files of the 21 entries of state.packageTable from
// state.targetFolder, passing over failures. Entries whose names are refused
// (EntryMayBeWritten), or whose paths would not fit, are passed over without
// touching anything. Always DELETE_FILES_DONE. Holds the target folder itself
// (a link there is not held, and nothing is deleted) and deletes as the
// overload below.
int DeletePackageFiles(app::AppState& state);

// As above, for the held target folder `folder`: each file is opened
// relative to the folder's handle without following a link and deleted
// through its own handle (a link goes as a link); a folder of an entry's
// name is left, as deletion by name leaves one. With no folder held, every
// entry counts as not deleted.
int DeletePackageFiles(app::AppState& state, const platform::UniqueHeldItem& folder);

}  // namespace package

// Programs-menu shortcuts: write a shell shortcut file through the system's
// shell link object, delete one by name.
#pragma once

#include <cstddef>

#include "platform/answers.h"
#include "platform/held_folders.h"
#include "platform/shell_link.h"

namespace setup {

// Area in which a shortcut file path, and a shortcut's working folder, are
// built; a text that does not fit with its terminator is refused.
constexpr size_t SHORTCUT_PATH_AREA = 2048;

// Builds the shortcut file path of `name` in `folder`: the folder, a
// backslash unless it already ends with one, the name and ".LNK", into `out`
// (SHORTCUT_PATH_AREA bytes). False when the path does not fit.
[[nodiscard]] bool BuildShortcutPath(const char* folder, const char* name, char* out);

// Writes the shortcut `name` in `folder` (file name + ".LNK") pointing at
// `targetPath`, with `name` as description, `arguments` (may be null) as
// argument text and the target's folder (the target cut at its last
// backslash) as working folder; an existing file of that name is replaced.
// The calling thread must have initialised COM.
// Returns COM_S_OK when the file was written, else the code of the failing
// call: object creation, the persist-file query or the save. Returns
// COM_E_FILENAME_TOO_LONG without creating anything when the shortcut file
// path or the target path does not fit SHORTCUT_PATH_AREA, and
// COM_E_INVALIDARG when the target, folder or name is null.
platform::ComResult CreateShortcut(const char* targetPath, const char* folder, const char* name,
                                   const char* arguments);

// Deletes the shortcut file of `name` in `folder`, named as CreateShortcut
// names it. Returns ANSWER_YES when a file was deleted, ANSWER_NO otherwise
// (also when the path does not fit SHORTCUT_PATH_AREA).
int DeleteShortcut(const char* folder, const char* name);

// Deletes the shortcut file of `name` from the held `folder`: opened
// relative to the folder's handle without following a link and deleted
// through its own handle. Returns ANSWER_YES when a file was deleted,
// ANSWER_NO otherwise (also when no folder is held or the file name does not
// fit).
int DeleteShortcut(const platform::UniqueHeldItem& folder, const char* name);

}  // namespace setup

// Removal of the target folder at the end of the uninstall, and of what of
// the product must wait for the next restart: the running uninstaller copy,
// or a package file in use.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "setup/folder_tree.h"

namespace setup {

// A file left for the restart is renamed to its name, ".", a number below
// RESTART_NAME_ATTEMPTS and ".del" (the suffix and its zero fit
// RESTART_SUFFIX_SIZE), the first such name that is free.
inline constexpr uint32_t RESTART_SUFFIX_SIZE = 8;
inline constexpr uint32_t RESTART_NAME_ATTEMPTS = 100;

// For the held pair of `targetFolder` (...\\KV\\Brevik): deletes the folder
// as DeleteFolderTree does, through the pair's handles. When it stays, each
// product file still in it (a package entry of `state.packageTable`, or the
// uninstaller copy, named as the running program), found through the held
// folder's listing, is renamed through its own handle to a unique name in
// the folder and that name is scheduled for deletion at the next restart
// (by path: the restart looks it up again), so that a reinstall made before
// the restart keeps its files; then the folder, and its parent when it holds
// nothing but the folder, are scheduled too. A file whose scheduling fails
// gets its name back. Nothing a user added is renamed or scheduled. When the
// folder went, its parent goes too when empty. A pair not held is left alone.
void RemoveTargetFolder(const app::AppState& state, const char* targetFolder, FolderPair& pair);

}  // namespace setup

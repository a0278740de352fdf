// The uninstall procedure.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace setup {

// Removes what the install put on the machine, in this order: checks the
// package, resolves the target folder, runs the driver-setup tool there with
// its uninstall options and waits for it, then deletes the package files,
// the shortcuts and Programs-menu folders of the current user and of all
// users, the uninstall entry, the target folder tree (targetFolder is then
// emptied) and the per-user key; unless hiddenMode is set it finally shows
// the restart box owned by mainWindow and waits for the user to close it.
//
// Runs on the window's thread. Sets failureCaption to its own caption;
// statusText, busy and result are not touched. What cannot be deleted stays
// without notice.
//
// Returns RESULT_OK; RESULT_PACKAGE_DAMAGED (failureText set, NOTIFY_FAILURE
// posted, nothing removed); RESULT_TOOL_NOT_STARTED or
// RESULT_TOOL_WITHOUT_HANDLE (nothing removed, posted or shown).
int32_t RunUninstall(app::AppState& state);

}  // namespace setup

// The install procedure.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace setup {

// Installs the driver and the companion application, in this order: deletes
// the per-user key, checks the package, resolves and creates the target
// folder, extracts and verifies every entry into it, runs the driver-setup
// tool and waits for it, creates the per-user and all-users Programs-menu
// shortcuts, copies the running program into the target folder as the
// uninstaller and writes the uninstall entry naming that copy.
//
// Writes the current step's name into statusText and, before a failure
// notification, failureCaption and failureText; posts at most one
// notification to mainWindow (CMD_NOTIFY), as its last act. Runs on the
// install worker, which has initialised COM for the shortcuts.
//
// Returns RESULT_OK (NOTIFY_SUCCESS posted); RESULT_PACKAGE_DAMAGED,
// RESULT_TARGET_FOLDER_FAILED, RESULT_EXTRACTION_FAILED or
// RESULT_RESTART_FIRST (NOTIFY_FAILURE posted); RESULT_TOOL_NOT_STARTED or
// RESULT_TOOL_WITHOUT_HANDLE (nothing posted, no text set). Nothing done by
// an earlier step is undone when a later one fails.
int32_t RunInstall(app::AppState& state);

}  // namespace setup

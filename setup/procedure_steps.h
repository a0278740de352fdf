// Steps and text work shared by the install and the uninstall procedure.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace setup {

// Builds a Programs-menu folder: `programsFolder` joined with
// "Kelvane\Brevik", into `buffer` (MENU_FOLDER_SIZE bytes). False for a
// folder that would not fit; the procedures then skip that menu.
[[nodiscard]] bool BuildMenuFolder(const char* programsFolder, char* buffer);

// Reads the per-user Programs folder ("Programs" of the per-user "Shell
// Folders" key) into `buffer` (MENU_FOLDER_SIZE bytes). True when it was
// read; false when it is missing, too long, or has no exact ANSI form,
// which the log reports: the per-user shortcut set is then skipped.
[[nodiscard]] bool ReadUserProgramsFolder(char* buffer);

// Fills `failureText` with `text` followed by the product web host and a
// full stop, or with `text` alone when `withHost` is 0, then posts the failure
// notification to the main window.
void ReportFailure(app::AppState& state, const char* text, int withHost);

// Runs the driver-setup tool of this host (the 64-bit build when
// `is64BitHost` is set) from the target folder with `commandLine`, waits for
// it without a time limit and stores its exit code in `exitCode`, which is
// preset to -1 and keeps that value when the code cannot be read.
// Returns RESULT_OK, RESULT_TOOL_NOT_STARTED or RESULT_TOOL_WITHOUT_HANDLE.
int32_t RunSetupTool(const app::AppState& state, const char* commandLine, int32_t& exitCode);

}  // namespace setup

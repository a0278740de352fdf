// Every process exit code of the setup program, with what it means. A
// command-line run exits with its procedure's result, so the procedures'
// results are exit codes too; start-up adds codes of its own for the runs
// that end before or outside the window. An interactive run exits with 0
// whatever happened.
//
// docs/deployment.md, docs/running.md, the README and the package-manager
// manifest list these codes; tests/native/documents/exit_code_table.py holds
// them to this file, which it reads line by line: one constant a line.
#pragma once

#include <cstdint>

namespace app {

// --- Results of the procedures and the start command ----------------------------

inline constexpr int32_t RESULT_OK = 0;                      // install or uninstall done, or no procedure to run
inline constexpr int32_t WORKER_NOT_STARTED = -1;            // the install's worker thread could not be created
inline constexpr int32_t RESULT_PACKAGE_DAMAGED = -1;        // package resource missing or too short
inline constexpr int32_t RESULT_TARGET_FOLDER_FAILED = -3;   // target folder could not be created
inline constexpr int32_t RESULT_EXTRACTION_FAILED = -10;     // a package file was not written and verified
inline constexpr int32_t RESULT_RESTART_FIRST = -21;         // the driver-setup tool asked for a restart first
inline constexpr int32_t RESULT_TOOL_WITHOUT_HANDLE = -604;  // the tool started, but no process handle came back
inline constexpr int32_t RESULT_TOOL_NOT_STARTED = -605;     // the driver-setup tool could not be started

// --- Start-up's own ---------------------------------------------------------------

inline constexpr int32_t EXIT_NO_LOCK = -1;                  // a lock could not be created or opened
inline constexpr int32_t EXIT_ALREADY_RUNNING = -1;          // another copy holds a lock
inline constexpr int32_t EXIT_NO_WINDOW = -2;                // no window could be made ("Startup Error" shown)
inline constexpr int32_t EXIT_MESSAGE_LOOP_FAILED = -4;      // the system failed to deliver the window's messages

}  // namespace app

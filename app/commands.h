// The command protocol between the setup procedures and the main window,
// kept below both: every message is a posted WM_COMMAND whose first parameter
// carries the command identifier (only its low 16 bits count) and whose
// second parameter carries the code, compared as a whole.
#pragma once

#include <cstdint>

namespace app {

// A procedure reports to the window; the code says how it ended.
inline constexpr uint16_t CMD_NOTIFY = 180;
// The procedure failed; failureCaption and failureText were filled first.
inline constexpr intptr_t NOTIFY_FAILURE = 127;
// The install procedure ended well.
inline constexpr intptr_t NOTIFY_SUCCESS = 128;

// The window asks itself to run the procedure of the command-line mode.
inline constexpr uint16_t CMD_START = 165;
// The only code that makes CMD_START act.
inline constexpr intptr_t START_CODE = 101;

}  // namespace app

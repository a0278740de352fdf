// The three process-wide option flags. Each is 0 at process start and is set
// to 1 only by option parsing at start-up, before the window or any worker
// exists; everything after that only reads them.
#pragma once

#include <cstdint>

namespace app {

// "-h" or "-H": no window is shown and no message box except the start-up
// errors; the procedure's result becomes the process exit code.
extern int32_t hiddenMode;
// "-i": install from the command line.
extern int32_t installMode;
// "-u" or "-U": uninstall from the command line.
extern int32_t uninstallMode;

}  // namespace app

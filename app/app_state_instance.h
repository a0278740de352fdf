// The process-wide application state record: the one instance that start-up
// clears and fills and that the window hands to the procedures.
#pragma once

#include "app/app_state.h"

namespace app {

// Zero at process start (static storage); start-up clears it again and
// fills `instance` and `is64BitHost`.
extern AppState appState;

}  // namespace app

// The program's entry and exit: options, the single-instance lock, the
// product's stale windows, the state record, COM, the main window and the
// message loop whose quit code becomes the process exit code.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/handles.h"

namespace app {

// The single-instance lock; the blank after "Installation-" is part of it.
inline constexpr char SINGLE_INSTANCE_MUTEX[] =
    "Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}";
// Top-level windows whose titles begin so are asked to go at start-up.
inline constexpr char STALE_WINDOW_PREFIX[] = "Kelvane Brevik";
// A window title is read into this many bytes, so at most 511 characters.
inline constexpr int32_t WINDOW_TITLE_READ_SIZE = 512;

// The main window's title, filled with the version text, in its buffer.
inline constexpr char WINDOW_TITLE_FORMAT[] = "Kelvane Brevik Installation (Version %s)";
inline constexpr char VERSION_TEXT[] = "1.0.0.7";
inline constexpr uint32_t WINDOW_TITLE_SIZE = 128;

// Process exit codes of start-up itself; otherwise the window's quit code.
inline constexpr int32_t EXIT_NO_LOCK = -1;          // the mutex could not be created
inline constexpr int32_t EXIT_ALREADY_RUNNING = -1;  // another copy holds the mutex
// The main window could not be made (its "Startup Error" box was shown):
// no loop is run, since no message could ever end it.
inline constexpr int32_t EXIT_NO_WINDOW = -2;

// Runs the program: parses `commandTail` (the command line less the
// program's name, see CommandLineTail; may be null), takes the
// single-instance lock (-1 at once, nothing shown or closed, when that fails
// or another copy holds it), posts WM_DESTROY to the product's stale
// windows, resolves the special folders, prepares appState with `instance`,
// initialises COM, creates the main window and runs the message loop. Then
// releases and closes the lock, ends COM when this thread began it, and
// answers the loop's quit code (EXIT_NO_WINDOW when there was no window).
int32_t ApplicationMain(platform::ModuleHandle instance, const char* commandTail);

// Posts WM_DESTROY (both parameters 0) to every top-level window whose
// title, read into WINDOW_TITLE_READ_SIZE bytes, begins with `prefix` byte
// for byte (letter case counts; a shorter title never matches). Visits every
// window; a null handle is skipped. Nothing is done for a null prefix.
void CloseStaleWindows(const char* prefix);

// Clears `state` and fills `instance` and `is64BitHost`; answers 0.
int InitAppState(AppState& state, platform::ModuleHandle instance);

}  // namespace app

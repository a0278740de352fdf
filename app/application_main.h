// The program's entry and exit: options, the single-instance lock, the
// product's stale windows, the state record, COM, the main window and the
// message loop whose quit code becomes the process exit code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "app/app_state.h"
#include "app/results.h"
#include "package/package_format.h"
#include "platform/handles.h"

namespace app {

// The single-instance lock; the blank after "Installation-" is part of it.
// Without a namespace prefix the name is the session's own, so it keeps
// only copies in the same session apart.
inline constexpr char SINGLE_INSTANCE_MUTEX[] =
    "Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}";
// The machine-wide lock held beside it, in the global namespace: a copy run
// by a deployment service in session 0 and a user's copy in session 1 (or
// two remote sessions) must not install or remove at the same time. A name
// of its own, since in session 0 the session's names are the global ones:
// the specified name there would find the lock this copy has just taken.
inline constexpr char MACHINE_INSTANCE_MUTEX[] =
    "Global\\Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}-Machine";
// Top-level windows whose titles begin so are asked to go at start-up, when
// a program of the product made them.
inline constexpr char STALE_WINDOW_PREFIX[] = "Kelvane Brevik";

// File names of programs: `count` names at `names`.
struct ProgramNames {
  const char* const* names;
  size_t count;
};
// The product's programs, the ones the package carries: the companion
// application, which must let go of its files before they are replaced or
// removed, and the driver-setup tool's two builds. Windows of any other
// program (an editor showing a file named after the product, a browser on
// its web page) are never asked to go.
inline constexpr const char* PRODUCT_PROGRAM_NAMES[] = {package::COMPANION_APP_NAME, package::SETUP_TOOL_NAME,
                                                        package::SETUP_TOOL_X64_NAME};
inline constexpr ProgramNames PRODUCT_PROGRAMS{PRODUCT_PROGRAM_NAMES, std::size(PRODUCT_PROGRAM_NAMES)};
// A program's file name is read into this many bytes.
inline constexpr int32_t PROGRAM_NAME_READ_SIZE = 260;
// A window title is read into this many bytes, so at most 511 characters.
inline constexpr int32_t WINDOW_TITLE_READ_SIZE = 512;

// The main window's title, filled with the version text, in its buffer.
inline constexpr char WINDOW_TITLE_FORMAT[] = "Kelvane Brevik Installation (Version %s)";
inline constexpr char VERSION_TEXT[] = "1.0.0.7";
inline constexpr uint32_t WINDOW_TITLE_SIZE = 128;

// Runs the program: parses `commandTail` (the command line less the
// program's name, see CommandLineTail; may be null), takes the
// single-instance lock and then the machine-wide one (EXIT_NO_LOCK or
// EXIT_ALREADY_RUNNING at once, nothing shown or closed, when either cannot
// be created, is refused, or is held by another copy), posts WM_DESTROY to
// the product's stale windows, resolves the special folders, prepares
// appState with `instance`, initialises COM, creates the main window and
// runs the message loop. Then releases and closes both locks, ends COM when
// this thread began it, and answers the loop's quit code; EXIT_NO_WINDOW
// when there was no window (no loop is run then, since no message could
// ever end it), EXIT_MESSAGE_LOOP_FAILED when the loop could not fetch a
// message.
int32_t ApplicationMain(platform::ModuleHandle instance, const char* commandTail);

// Posts WM_DESTROY (both parameters 0) to every top-level window whose
// title, read into WINDOW_TITLE_READ_SIZE bytes, begins with `prefix` byte
// for byte (letter case counts; a shorter title never matches) and whose
// process's program has one of the file names in `programs` (compared as
// the system compares file names, without regard to the case of A to Z; a
// name that cannot be read exactly matches nothing). Visits every window; a
// null handle is skipped. Nothing is done for a null prefix.
void CloseStaleWindows(const char* prefix, ProgramNames programs);

// Clears `state` and fills `instance` and `is64BitHost`; answers 0.
int InitAppState(AppState& state, platform::ModuleHandle instance);

}  // namespace app

// The program's one window: its class, its creation and sizing around the
// background picture, and its handling of every message: painting, the blink
// timer of the progress banner, the hand pointer over the picture, the click
// on the action button or the picture, the start command of a command-line
// run, the procedures' notifications and its own end.
//
// All of it runs on the start-up thread, inside its message loop, over the
// process-wide app::appState and the option flags.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/window.h"

namespace ui {

// --- Class and window ------------------------------------------------------------

inline constexpr char MAIN_WINDOW_CLASS[] = "KVBrevik0Installer0MainWindow0";
inline constexpr uint32_t MAIN_WINDOW_CLASS_STYLE = platform::CLASS_REDRAW_ON_WIDTH | platform::CLASS_REDRAW_ON_HEIGHT;
inline constexpr uint32_t MAIN_WINDOW_ICON_ID = 100;
// COLOR_INACTIVEBORDER (11) in the colour-plus-one form. Never seen: the
// background handler paints the picture instead.
inline constexpr uintptr_t MAIN_WINDOW_BACKGROUND = 11 + 1;
// WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN:
// no sizing border, not visible at creation.
inline constexpr uint32_t MAIN_WINDOW_STYLE = 0x02CB0000;
// The size given at creation, before the creation handler resizes the window.
inline constexpr int32_t INITIAL_WIDTH = 900;
inline constexpr int32_t INITIAL_HEIGHT = 300;
// Height added below the picture for the white information panel.
inline constexpr int32_t LOWER_BAND = 100;

// --- Timer and click ---------------------------------------------------------------

inline constexpr platform::TimerId BLINK_TIMER_ID = 12347;
inline constexpr uint32_t BLINK_PERIOD_MS = 500;
// Pause after drawing the pressed button, before the procedure starts.
inline constexpr uint32_t PRESS_DELAY_MS = 200;

// --- Message boxes -------------------------------------------------------------------

inline constexpr char STARTUP_ERROR_CAPTION[] = "Startup Error";
inline constexpr char REGISTER_FAILED_TEXT[] = "Failed to register window class...";
inline constexpr char CREATE_FAILED_TEXT[] = "Failed to create window...";
inline constexpr uint32_t STARTUP_ERROR_STYLE = 0x30;  // MB_OK | MB_ICONWARNING

inline constexpr char SUCCESS_CAPTION[] = "Brevik Installation";
inline constexpr char SUCCESS_TEXT[] =
    "Installation Complete and Successful !\n\nYOU MUST REBOOT your system to finalize installation";
inline constexpr uint32_t SUCCESS_STYLE = 0x1030;  // MB_OK | MB_ICONWARNING | MB_SYSTEMMODAL

inline constexpr char LAUNCH_FAILED_CAPTION[] = "Brevik Installation Error";
inline constexpr char LAUNCH_FAILED_TEXT[] = "Failed to launch Procedure...";
inline constexpr uint32_t FAILURE_STYLE = 0x1010;  // MB_OK | MB_ICONERROR | MB_SYSTEMMODAL

// --- Product web page ------------------------------------------------------------------

// The page a click on the picture opens: "https://", the product web host,
// "/". Longest address, zero byte included.
inline constexpr uint32_t WEB_PAGE_ADDRESS_SIZE = 512;
inline constexpr char WEB_PAGE_VERB[] = "open";

// Writes the product web page's address into `buffer`. True when it fits
// `capacity` (zero included); false, with an empty text, when it does not.
[[nodiscard]] bool FormatWebPageAddress(char* buffer, uint32_t capacity);

// --- Operations ---------------------------------------------------------------------------

// Registers the window class (on failure: the "Startup Error" box, no owner,
// also when hidden; none returned), creates the window 900 by 300 at a
// position the system chooses (its creation handler runs meanwhile; on
// failure: the other "Startup Error" box, none returned), then hides it when
// hiddenMode is set, else shows it and paints it at once. `procedure` is
// normally MainWindowProc; `menuName` is normally null.
platform::WindowHandle CreateMainWindow(platform::ModuleHandle instance, platform::WindowProcedure procedure,
                                        const char* menuName, const char* title);

// The window procedure: handles create, destroy, paint, close, erase,
// command, timer, mouse move and left button down; hands every other message
// to the system's default handling and answers its result.
intptr_t MainWindowProc(platform::WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

// Posts WM_DESTROY (both parameters 0) to appState.mainWindow; it is handled
// after the message being handled now and every message already queued.
void PostDestroyToMainWindow();

// How the window's run ends; touched only on the window's thread.
//
// A message box of the window runs a message loop of its own, which goes on
// dispatching posted messages to the window. A destroy message that arrives
// while a box is up is therefore held back until the box is dismissed, so
// that ending the loop never takes a box off the screen unread.
struct WindowEnding {
  // Quit code of the end handler: 0 until the start command has run, then
  // the procedure's result for the rest of the run. A visible command-line
  // run ends through the end handler, so that its notification box is still
  // shown; in any run, a close or destroy request handled after the start
  // command (one queued while the procedure ran) ends with the result too.
  int32_t quitCode;
  // Message boxes of the window now on the screen.
  int32_t boxesShowing;
  // 1 when a destroy message arrived while a box was up.
  int32_t destroyDeferred;
};
extern WindowEnding windowEnding;

// Back to the start state (all zero). For tests, which run many windows in
// one process.
void ResetWindowEnding();

}  // namespace ui

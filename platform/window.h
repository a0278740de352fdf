// Platform seam: the program's one window. Its class and the window itself,
// showing and placing it, its blink timer, the pointer over it, its drawing
// contexts outside and inside a paint, and the system's default handling of
// a message the window leaves alone.
//
// The window procedure is portable: the Windows layer registers a thin
// trampoline with the system and forwards every message of the class to it.
#pragma once

#include <cstdint>

#include "platform/canvas.h"
#include "platform/handles.h"
#include "platform/unique_handle.h"

namespace platform {

// A window procedure: gets every message of the windows of its class and
// answers the message's result. The system's message numbers are used as
// they are.
using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

// --- Window class and window -------------------------------------------------

// Class styles, by the system's own numbers.
inline constexpr uint32_t CLASS_REDRAW_ON_WIDTH = 0x0002;   // CS_HREDRAW
inline constexpr uint32_t CLASS_REDRAW_ON_HEIGHT = 0x0001;  // CS_VREDRAW
// The system's arrow pointer (IDC_ARROW).
inline constexpr uint32_t SYSTEM_CURSOR_ARROW = 32512;

struct WindowClassSettings {
  const char* className;
  uint32_t classStyle;        // CLASS_ flags
  uint32_t iconResource;      // icon resource of the module; 0 for none
  uint32_t systemCursor;      // SYSTEM_CURSOR_ id of the class cursor
  uintptr_t backgroundBrush;  // a system colour index plus one
  const char* menuName;       // null for none
};

// Registers a window class of `instance` whose windows' messages go to
// `procedure`. No extra class or window bytes. 1 when registered, 0 when the
// system refused (the class may already exist).
int RegisterWindowClass(ModuleHandle instance, const WindowClassSettings& settings, WindowProcedure procedure);

// Removes a class registered above. For tests, which create the window more
// than once in one process.
void UnregisterWindowClass(ModuleHandle instance, const char* className);

// The system chooses the position (CW_USEDEFAULT).
inline constexpr int32_t POSITION_DEFAULT = INT32_MIN;

struct WindowSettings {
  uint32_t extendedStyle;
  const char* className;
  const char* title;
  uint32_t style;
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  ModuleHandle instance;
};

// Creates a top-level window without parent, menu or creation parameter.
// The class's procedure gets the creation message (and its result decides)
// before this returns. Null when the window could not be created.
WindowHandle CreateAppWindow(const WindowSettings& settings);

// Keeps the system from replacing this process's windows with a "Not
// responding" ghost, which offers the user to end the program, while a
// handler works without looking at the queue. For the rest of the process;
// where the system has no such switch, nothing happens.
void KeepWindowsFromGhosting();

// Destroys a window at once (the destroy message is sent to its procedure).
// The program never does this, its window ends with the process; for tests.
void DestroyAppWindow(WindowHandle window);

// Show commands, by the system's own numbers.
inline constexpr int32_t SHOW_HIDE = 0;  // SW_HIDE
inline constexpr int32_t SHOW_SHOW = 5;  // SW_SHOW

void ShowAppWindow(WindowHandle window, int32_t showCommand);

// Paints the window's invalid area at once, if it has one.
void UpdateAppWindow(WindowHandle window);

// SetWindowPos flags, by the system's own numbers.
inline constexpr uint32_t PLACE_NO_MOVE = 0x0002;      // SWP_NOMOVE
inline constexpr uint32_t PLACE_SHOW_WINDOW = 0x0040;  // SWP_SHOWWINDOW
// Insert-after value that puts the window at the top of the z-order.
inline constexpr WindowHandle PLACE_AT_TOP = nullptr;

// Sets the window's position, outer size and z-order as `flags` allow.
void PlaceWindow(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t width,
                 int32_t height, uint32_t flags);

// --- Timer and pointer ----------------------------------------------------------

// Starts (or restarts) timer `id` of `window`, ticking every `milliseconds`
// through the window's timer message. Answers the timer's identifier, 0 when
// no timer could be started.
TimerId StartWindowTimer(WindowHandle window, TimerId id, uint32_t milliseconds);
void StopWindowTimer(WindowHandle window, TimerId id);

// Shows `cursor` as the pointer until the next move resets it.
void ShowPointer(CursorHandle cursor);

// --- Drawing contexts ------------------------------------------------------------

// The client area's drawing context, outside a paint; null when none.
DrawContext GetWindowDrawContext(WindowHandle window);
void ReleaseWindowDrawContext(WindowHandle window, DrawContext dc);

// A drawing context of a window, released when it goes out of scope.
struct WindowDc {
  WindowHandle window;
  DrawContext dc;
};
struct WindowDcTraits {
  using Value = WindowDc;
  static Value Invalid() { return WindowDc{nullptr, nullptr}; }
  static bool IsValid(const Value& value) { return value.dc != nullptr; }
  static void Close(const Value& value) { ReleaseWindowDrawContext(value.window, value.dc); }
};
using UniqueWindowDc = UniqueHandle<WindowDcTraits>;

// What a paint needs to remember between its begin and its end; the system's
// record is kept in `system`, whose size covers it on every target.
inline constexpr uint32_t PAINT_RECORD_SIZE = 96;
struct PaintRecord {
  WindowHandle window;
  DrawContext dc;  // null when the paint could not begin
  alignas(8) unsigned char system[PAINT_RECORD_SIZE];
};

// Begins painting the window's invalid area (and validates it); the context
// is in `record.dc`. EndWindowPaint must follow, also after a null context.
void BeginWindowPaint(WindowHandle window, PaintRecord& record);
void EndWindowPaint(PaintRecord& record);

// Begins a paint when made and ends it when it goes out of scope.
class ScopedWindowPaint {
 public:
  explicit ScopedWindowPaint(WindowHandle window) { BeginWindowPaint(window, record_); }
  ScopedWindowPaint(const ScopedWindowPaint&) = delete;
  ScopedWindowPaint& operator=(const ScopedWindowPaint&) = delete;
  ~ScopedWindowPaint() { EndWindowPaint(record_); }
  DrawContext Dc() const { return record_.dc; }

 private:
  PaintRecord record_;
};

// --- Default handling ---------------------------------------------------------------

// The system's own handling of a message that the window does not handle.
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

}  // namespace platform

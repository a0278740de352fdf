// Platform seam: the one window of the program and the start-up thread's
// services around it. Window class and window, showing and placing it, the
// blink timer, drawing contexts outside and inside a paint, the pointer, a
// pause, opening a document with the shell, posted messages and the message
// loop, the default handling of a message, the other top-level windows and
// their titles, the single-instance lock, and the frame metrics.
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

// --- Timer, pointer, pause, shell ----------------------------------------------

// Starts (or restarts) timer `id` of `window`, ticking every `milliseconds`
// through the window's timer message. Answers the timer's identifier, 0 when
// no timer could be started.
TimerId StartWindowTimer(WindowHandle window, TimerId id, uint32_t milliseconds);
void StopWindowTimer(WindowHandle window, TimerId id);

// Shows `cursor` as the pointer until the next move resets it.
void ShowPointer(CursorHandle cursor);

// Blocks the calling thread; no message is handled meanwhile.
void PauseThread(uint32_t milliseconds);

// Asks the shell to apply `verb` to `target` (a file or an address), shown
// with `showCommand`, message boxes owned by `owner`. 1 when the shell took
// it, 0 when it refused. Where the desktop's own shell runs, the request goes
// through it, so what it starts runs as the desktop's user (not with this
// program's administrator rights); when that way fails at any step, the
// shell is asked from this program. The calling thread must have COM
// initialised.
int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand);

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

// --- Messages ----------------------------------------------------------------------

// Posts `message` to `window` without waiting for it; a null window posts to
// the calling thread's own queue. 1 when queued, else 0.
int PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

// Asks the calling thread's message loop to end with `exitCode`: the loop
// ends once every message already posted has been handled. A later request
// replaces the code of an earlier one.
void EndMessageLoop(int32_t exitCode);

// What RunMessageLoop answers when the system could not fetch a message. A
// code of its own: -3 already means "target folder not created".
inline constexpr int32_t MESSAGE_LOOP_FAILED = -4;

// Fetches every message of the calling thread (any window, any number) and
// hands it to its window's procedure, until the end is asked for; answers
// the code of that request.
int32_t RunMessageLoop();

// The system's own handling of a message that the window does not handle.
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

// 1 while the calling thread is inside WaitForProcess or WaitForThread, else
// 0. Those waits keep answering the messages that other threads and
// processes send to the thread's windows (a program that sends to every
// top-level window and waits for the answers must not wait for ever), and
// handle nothing posted meanwhile; a window procedure that finds 1 here is
// called in the middle of one of its own handlers.
int InSentMessageWait();

// --- Other windows ---------------------------------------------------------------------

// Called once per top-level window; answers 1 to go on, 0 to stop.
using WindowVisitor = int (*)(WindowHandle window, void* context);

// Visits every top-level window of the desktop, in the system's order.
void EnumerateTopLevelWindows(WindowVisitor visitor, void* context);

// Copies the title of `window` into `buffer`, at most `capacity` - 1
// characters and a zero; answers the number of characters copied (0 also
// when the window has no title or is gone). `capacity` must be at least 1.
int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity);

// --- Single-instance lock ----------------------------------------------------------------

void CloseNamedMutex(void* mutex);

struct NamedMutexTraits {
  using Value = void*;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { CloseNamedMutex(value); }
};
using UniqueNamedMutex = UniqueHandle<NamedMutexTraits>;

// Results of CreateOwnedMutex.
inline constexpr int MUTEX_CREATED = 0;         // new, owned by the calling thread
inline constexpr int MUTEX_ALREADY_EXISTS = 1;  // another holder made it first; not owned
inline constexpr int MUTEX_FAILED = 2;          // no handle came back

// Creates the system-wide mutex `name` owned by the calling thread, with no
// security attributes. On MUTEX_CREATED and MUTEX_ALREADY_EXISTS `mutex`
// holds a handle (closed when it goes out of scope); on MUTEX_FAILED none.
int CreateOwnedMutex(const char* name, UniqueNamedMutex& mutex);

// Gives up ownership of a mutex that CreateOwnedMutex made; the handle stays.
void ReleaseNamedMutex(void* mutex);

// --- Frame metrics --------------------------------------------------------------------------

// The size the non-client metrics record is asked with: the layout that
// ends with the padded-border width.
inline constexpr uint32_t NONCLIENT_METRICS_SIZE = 344;

struct NonClientMetrics {
  int32_t borderWidth;
  int32_t captionHeight;
  int32_t paddedBorderWidth;
};

// Asks the system for the non-client metrics in a record of
// NONCLIENT_METRICS_SIZE bytes. 1 with `metrics` filled, 0 when refused.
int QueryNonClientMetrics(NonClientMetrics& metrics);

// System metric indexes, by the system's own numbers.
inline constexpr int32_t METRIC_CAPTION_HEIGHT = 4;      // SM_CYCAPTION
inline constexpr int32_t METRIC_FIXED_FRAME_WIDTH = 7;   // SM_CXFIXEDFRAME
inline constexpr int32_t METRIC_PADDED_BORDER = 92;      // SM_CXPADDEDBORDER

// One system metric; 0 when the system does not know the index.
int32_t GetSystemMetric(int32_t index);

}  // namespace platform

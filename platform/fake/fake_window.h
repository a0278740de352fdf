// Control of the fake window seam (window.h): a window class table, windows
// that get their creation message from CreateAppWindow, timers, the pointer
// and drawing contexts from the recording canvas. After fake::Reset there are
// no classes, windows, timers, contexts or pointer, and registration,
// creation and timers succeed. The queue and the loop are the message fake's
// (fake_messages.h).
//
// Call log lines, windows and cursors as numbers:
//   "RegisterWindowClass CLASS STYLE ICON CURSOR BRUSH MENU" (STYLE hex, MENU "-" for none),
//   "UnregisterWindowClass CLASS",
//   "CreateAppWindow CLASS | TITLE | EXSTYLE STYLE X Y WIDTH HEIGHT" (styles hex),
//   "KeepWindowsFromGhosting", "DestroyAppWindow W", "ShowAppWindow W CMD", "UpdateAppWindow W",
//   "PlaceWindow W AFTER X Y WIDTH HEIGHT FLAGS" (FLAGS hex),
//   "StartWindowTimer W ID MS", "StopWindowTimer W ID", "ShowPointer C",
//   "GetWindowDrawContext W", "ReleaseWindowDrawContext W", "BeginWindowPaint W", "EndWindowPaint W",
//   "DefaultWindowProcedure W MESSAGE"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/handles.h"
#include "platform/window.h"

namespace platform::fake {

// A window the fake made.
struct FakeWindow {
  WindowHandle handle;
  std::string className;
  std::string title;
  uint32_t extendedStyle;
  uint32_t style;
  int32_t x, y, width, height;
  ModuleHandle instance;
  bool visible;
  bool destroyed;
};

// What a test sets; fake::Reset puts back these values.
struct WindowKnobs {
  bool failRegistration = false;
  bool failCreation = false;
  // StartWindowTimer answers `timerAnswer` (0: no timer) instead of the id
  // it was asked for.
  bool timerAnswerSet = false;
  TimerId timerAnswer = 0;
};
extern WindowKnobs windowKnobs;

std::vector<FakeWindow> Windows();
// The procedure registered for class `className`; null when none.
WindowProcedure ProcedureOfClass(const std::string& className);
// Timers now running: window and id.
std::vector<std::pair<WindowHandle, TimerId>> RunningTimers();
// Contexts handed out (outside and inside paints) and not yet given back.
size_t OpenDrawContexts();
// Releases of something that was not an open context of that window.
size_t BadContextReleases();
CursorHandle LastPointer();

// Sends `message` to `window`'s procedure at once, as the system does for
// messages that are not queued; answers the procedure's result (0 for a
// window that is gone).
intptr_t SendToWindow(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

}  // namespace platform::fake

// Control of the fake window seams of the host build (window.h, messages.h
// but PostCommand, desktop_windows.h, shell_open.h, named_mutex.h and
// system_metrics.h), which share one state: a window class table, windows
// that get their creation message from CreateAppWindow, a message queue with
// a message loop that dispatches to the windows' procedures, the other
// top-level windows with their titles, timers, drawing contexts from the
// recording canvas, the shell, the single-instance mutex and the frame
// metrics.
//
// Commands posted through PostCommand (fake_messages.h) join the same queue,
// as WM_COMMAND (0x111) with the command as first parameter, in the order
// they were posted relative to PostWindowMessage (also those whose post the
// message fake was told to report as failed).
//
// Seam log lines (fake_seam_log.h), windows and cursors as numbers:
//   "RegisterWindowClass CLASS STYLE ICON CURSOR BRUSH MENU" (STYLE hex, MENU "-" for none),
//   "UnregisterWindowClass CLASS",
//   "CreateAppWindow CLASS | TITLE | EXSTYLE STYLE X Y WIDTH HEIGHT" (styles hex),
//   "KeepWindowsFromGhosting", "DestroyAppWindow W", "ShowAppWindow W CMD", "UpdateAppWindow W",
//   "PlaceWindow W AFTER X Y WIDTH HEIGHT FLAGS" (FLAGS hex),
//   "StartWindowTimer W ID MS", "StopWindowTimer W ID", "ShowPointer C",
//   "OpenWithShell W VERB TARGET SHOW",
//   "GetWindowDrawContext W", "ReleaseWindowDrawContext W", "BeginWindowPaint W", "EndWindowPaint W",
//   "PostWindowMessage W MESSAGE FIRST SECOND", "EndMessageLoop CODE",
//   "RunMessageLoop", "RunMessageLoop ends CODE", "RunMessageLoop stalled",
//   "Dispatch W MESSAGE FIRST SECOND" (a queued message handed to its procedure),
//   "DefaultWindowProcedure W MESSAGE",
//   "EnumerateTopLevelWindows", "ReadWindowTitle W", "ReadWindowProgramName W",
//   "CreateOwnedMutex NAME", "ReleaseNamedMutex", "CloseNamedMutex",
//   "QueryNonClientMetrics", "GetSystemMetric INDEX"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/named_mutex.h"
#include "platform/system_metrics.h"
#include "platform/window.h"

namespace platform::fake {

// What RunMessageLoop answers when the queue is empty and no end was asked
// for: a real loop would wait for ever.
inline constexpr int32_t LOOP_STALLED = INT32_MIN;

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

// A message in the queue.
struct QueuedMessage {
  WindowHandle window;
  uint32_t message;
  uintptr_t first;
  intptr_t second;
};

// After fake::Reset: no classes, windows, queued messages, end request,
// timers, contexts, pointer, shell requests, top-level windows or mutex;
// registration, creation, timers, the shell and the mutex succeed; the
// non-client metrics answer border 1, caption 20, padded border 4; every
// system metric answers 0.

// --- Failures and answers ---------------------------------------------------------
void FailClassRegistration(bool fail);
void FailWindowCreation(bool fail);
// StartWindowTimer answers `id` (0: no timer) from now on instead of the id
// it was asked for.
void SetTimerAnswer(TimerId id);
void FailShell(bool fail);
void SetNonClientMetrics(NonClientMetrics metrics);
void RefuseNonClientMetrics();
void SetSystemMetric(int32_t index, int32_t value);
// CreateOwnedMutex answers `outcome` (MUTEX_*) from now on, for every name
// not given an outcome of its own.
void SetMutexOutcome(int outcome);
// CreateOwnedMutex answers `outcome` for the mutex `name` from now on.
void SetMutexOutcomeFor(const std::string& name, int outcome);

// --- Top-level windows of other programs ------------------------------------------
// Adds a window to the enumeration, in order; a null handle is handed to the
// visitor as it is. Its title is answered by ReadWindowTitle, the file name
// of its process's program by ReadWindowProgramName (empty: not readable).
void AddTopLevelWindow(WindowHandle window, const std::string& title, const std::string& program = "");
// The windows the enumeration visited, in order.
std::vector<WindowHandle> VisitedWindows();

// --- What happened ---------------------------------------------------------------------
std::vector<FakeWindow> Windows();
// The procedure registered for class `className`; null when none.
WindowProcedure ProcedureOfClass(const std::string& className);
// Messages still queued, oldest first (commands from the message seam too).
std::vector<QueuedMessage> QueuedMessages();
// 1 when EndMessageLoop was called since the reset; its last code.
bool EndRequested();
int32_t EndCode();
// Timers now running: window and id.
std::vector<std::pair<WindowHandle, TimerId>> RunningTimers();
// Contexts handed out (outside and inside paints) and not yet given back.
size_t OpenDrawContexts();
// Releases of something that was not an open context of that window.
size_t BadContextReleases();
CursorHandle LastPointer();
// Mutex handles created and not yet closed; true while one of them is owned.
size_t OpenMutexHandles();
bool MutexOwned();

// --- Driving the loop --------------------------------------------------------------------
// Hands queued messages to their windows' procedures, oldest first, until
// the queue is empty or an end of the loop has been asked for, as the
// message loop of a message box does (it stops at the end request, which
// takes the box away). Answers how many were dispatched. A test calls this
// from a seam observer on "ShowMessageBox" lines to let messages arrive
// while a box is up.
size_t DispatchQueuedMessages();

// Sends `message` to `window`'s procedure at once, as the system does for
// messages that are not queued; answers the procedure's result.
intptr_t SendToWindow(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

// Messages that another program sends during the next WaitForProcess or
// WaitForThread (fake_process.h, fake_threads.h): that wait hands them, in
// order, to their windows' procedures while InSentMessageWait answers 1, and
// keeps the procedures' answers for AnswersDuringWait. Later waits send
// nothing.
void SendDuringNextWait(std::vector<QueuedMessage> messages);
std::vector<intptr_t> AnswersDuringWait();
// Called by the fake waits.
void AnswerSentDuringWait();

}  // namespace platform::fake

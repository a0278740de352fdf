// The fake window seams: classes, windows, one message queue and its loop,
// top-level windows, timers, drawing contexts, the shell, the mutex and the
// metrics, all logged to the shared seam log.
#include "platform/fake/fake_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>

#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/recording_canvas.h"
#include "platform/desktop_windows.h"
#include "platform/shell_open.h"

namespace platform::fake {

namespace {

// The system's numbers of the messages the fake itself produces.
constexpr uint32_t CREATE_MESSAGE = 0x0001;
constexpr uint32_t DESTROY_MESSAGE = 0x0002;
constexpr uint32_t COMMAND_MESSAGE = 0x0111;
// What a creation handler answers to refuse the window.
constexpr intptr_t CREATION_REFUSED = -1;

struct TopLevelWindow {
  WindowHandle handle;
  std::string title;
  std::string program;  // empty: the name cannot be read
};

struct WindowSeamState {
  // One lock for everything; never held while a procedure runs.
  std::recursive_mutex lock;

  bool failRegistration = false;
  bool failCreation = false;
  bool timerAnswerSet = false;
  TimerId timerAnswer = 0;
  bool failShell = false;
  bool metricsRefused = false;
  NonClientMetrics metrics{1, 20, 4};
  std::map<int32_t, int32_t> systemMetrics;
  int mutexOutcome = MUTEX_CREATED;
  std::map<std::string, int> mutexOutcomeByName;

  std::map<std::string, WindowProcedure> classes;
  std::vector<FakeWindow> windows;
  uintptr_t nextWindow = 0x10000;

  std::deque<QueuedMessage> queue;
  size_t commandsSeen = 0;
  bool endRequested = false;
  int32_t endCode = 0;

  std::set<std::pair<WindowHandle, TimerId>> timers;
  std::set<std::pair<WindowHandle, DrawContext>> contexts;
  size_t badReleases = 0;
  CursorHandle pointer = nullptr;

  std::vector<TopLevelWindow> topLevel;
  std::vector<WindowHandle> visited;

  uintptr_t nextMutex = 0x7000;
  // Open mutex handles and whether each is owned.
  std::map<void*, bool> mutexes;

  std::vector<QueuedMessage> sentDuringNextWait;
  std::vector<intptr_t> answersDuringWait;
};

// Depth of the fake waits delivering sent messages on this thread.
thread_local int sentMessageWaits = 0;

WindowSeamState& TheWindows() {
  static WindowSeamState state;
  return state;
}

std::string Number(const void* handle) { return std::to_string(reinterpret_cast<uintptr_t>(handle)); }

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

// Moves the commands posted through the message seam since the last look
// into the queue, so that they keep their order relative to PostWindowMessage.
void TakePostedCommands(WindowSeamState& state) {
  std::vector<PostedCommand> posted = PostedCommands();
  if (posted.size() < state.commandsSeen) state.commandsSeen = 0;  // the message fake was reset
  for (size_t i = state.commandsSeen; i < posted.size(); ++i) {
    state.queue.push_back(QueuedMessage{posted[i].window, COMMAND_MESSAGE, posted[i].command, posted[i].code});
  }
  state.commandsSeen = posted.size();
}

FakeWindow* FindWindow(WindowSeamState& state, WindowHandle handle) {
  for (FakeWindow& window : state.windows) {
    if (window.handle == handle) return &window;
  }
  return nullptr;
}

WindowProcedure LiveProcedure(WindowHandle handle) {
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  FakeWindow* window = FindWindow(state, handle);
  if (window == nullptr || window->destroyed) return nullptr;
  auto found = state.classes.find(window->className);
  return found == state.classes.end() ? nullptr : found->second;
}

// Takes the oldest message; false when the queue is empty or, with
// `stopAtEnd`, when an end of the loop is pending.
bool TakeMessage(QueuedMessage& message, bool stopAtEnd) {
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  TakePostedCommands(state);
  if (state.queue.empty() || (stopAtEnd && state.endRequested)) return false;
  message = state.queue.front();
  state.queue.pop_front();
  return true;
}

void Dispatch(const QueuedMessage& message) {
  LogCall("messages", "Dispatch " + Number(message.window) + " " + std::to_string(message.message) + " " +
              std::to_string(message.first) + " " + std::to_string(message.second));
  // A message for no window, or for a window that is gone, is dropped.
  WindowProcedure procedure = LiveProcedure(message.window);
  if (procedure != nullptr) procedure(message.window, message.message, message.first, message.second);
}

}  // namespace

void ResetWindow() {
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  const uintptr_t nextWindow = state.nextWindow;
  const uintptr_t nextMutex = state.nextMutex;
  state.failRegistration = false;
  state.failCreation = false;
  state.timerAnswerSet = false;
  state.timerAnswer = 0;
  state.failShell = false;
  state.metricsRefused = false;
  state.metrics = NonClientMetrics{1, 20, 4};
  state.systemMetrics.clear();
  state.mutexOutcome = MUTEX_CREATED;
  state.mutexOutcomeByName.clear();
  state.classes.clear();
  state.windows.clear();
  // Handles are never reused, so one left over from an earlier test never
  // reaches a new window.
  state.nextWindow = nextWindow;
  state.queue.clear();
  state.commandsSeen = PostedCommands().size();
  state.endRequested = false;
  state.endCode = 0;
  state.timers.clear();
  state.contexts.clear();
  state.badReleases = 0;
  state.pointer = nullptr;
  state.topLevel.clear();
  state.visited.clear();
  state.nextMutex = nextMutex;
  state.mutexes.clear();
  state.sentDuringNextWait.clear();
  state.answersDuringWait.clear();
}

void FailClassRegistration(bool fail) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().failRegistration = fail;
}

void FailWindowCreation(bool fail) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().failCreation = fail;
}

void SetTimerAnswer(TimerId id) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().timerAnswerSet = true;
  TheWindows().timerAnswer = id;
}

void FailShell(bool fail) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().failShell = fail;
}

void SetNonClientMetrics(NonClientMetrics metrics) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().metricsRefused = false;
  TheWindows().metrics = metrics;
}

void RefuseNonClientMetrics() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().metricsRefused = true;
}

void SetSystemMetric(int32_t index, int32_t value) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().systemMetrics[index] = value;
}

void SetMutexOutcome(int outcome) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().mutexOutcome = outcome;
}

void SetMutexOutcomeFor(const std::string& name, int outcome) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().mutexOutcomeByName[name] = outcome;
}

void AddTopLevelWindow(WindowHandle window, const std::string& title, const std::string& program) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().topLevel.push_back(TopLevelWindow{window, title, program});
}

std::vector<WindowHandle> VisitedWindows() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().visited;
}

std::vector<FakeWindow> Windows() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().windows;
}

WindowProcedure ProcedureOfClass(const std::string& className) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  auto found = TheWindows().classes.find(className);
  return found == TheWindows().classes.end() ? nullptr : found->second;
}

std::vector<QueuedMessage> QueuedMessages() {
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  TakePostedCommands(state);
  return std::vector<QueuedMessage>(state.queue.begin(), state.queue.end());
}

bool EndRequested() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().endRequested;
}

int32_t EndCode() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().endCode;
}

std::vector<std::pair<WindowHandle, TimerId>> RunningTimers() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return std::vector<std::pair<WindowHandle, TimerId>>(TheWindows().timers.begin(), TheWindows().timers.end());
}

size_t OpenDrawContexts() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().contexts.size();
}

size_t BadContextReleases() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().badReleases;
}

CursorHandle LastPointer() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().pointer;
}

size_t OpenMutexHandles() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().mutexes.size();
}

bool MutexOwned() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  for (const auto& mutex : TheWindows().mutexes) {
    if (mutex.second) return true;
  }
  return false;
}

size_t DispatchQueuedMessages() {
  size_t dispatched = 0;
  QueuedMessage message{};
  while (TakeMessage(message, true)) {
    Dispatch(message);
    ++dispatched;
  }
  return dispatched;
}

intptr_t SendToWindow(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  WindowProcedure procedure = LiveProcedure(window);
  return procedure != nullptr ? procedure(window, message, first, second) : 0;
}

void SendDuringNextWait(std::vector<QueuedMessage> messages) {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().sentDuringNextWait = std::move(messages);
}

std::vector<intptr_t> AnswersDuringWait() {
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().answersDuringWait;
}

void AnswerSentDuringWait() {
  std::vector<QueuedMessage> messages;
  {
    std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
    messages.swap(TheWindows().sentDuringNextWait);
  }
  ++sentMessageWaits;
  for (const QueuedMessage& message : messages) {
    const intptr_t answer = SendToWindow(message.window, message.message, message.first, message.second);
    std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
    TheWindows().answersDuringWait.push_back(answer);
  }
  --sentMessageWaits;
}

}  // namespace platform::fake

namespace platform {

using fake::Hex;
using fake::LogCall;
using fake::Number;
using fake::TheWindows;
using fake::WindowSeamState;

int RegisterWindowClass(ModuleHandle, const WindowClassSettings& settings, WindowProcedure procedure) {
  LogCall("window", "RegisterWindowClass " + std::string(settings.className) + " " + Hex(settings.classStyle) + " " +
              std::to_string(settings.iconResource) + " " + std::to_string(settings.systemCursor) + " " +
              std::to_string(settings.backgroundBrush) + " " +
              (settings.menuName != nullptr ? std::string(settings.menuName) : std::string("-")));
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  if (state.failRegistration || procedure == nullptr) return 0;
  // The system refuses a class name that is already registered.
  if (!state.classes.emplace(settings.className, procedure).second) return 0;
  return 1;
}

void UnregisterWindowClass(ModuleHandle, const char* className) {
  LogCall("window", "UnregisterWindowClass " + std::string(className));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().classes.erase(className);
}

WindowHandle CreateAppWindow(const WindowSettings& settings) {
  LogCall("window", "CreateAppWindow " + std::string(settings.className) + " | " + std::string(settings.title) + " | " +
              Hex(settings.extendedStyle) + " " + Hex(settings.style) + " " + std::to_string(settings.x) + " " +
              std::to_string(settings.y) + " " + std::to_string(settings.width) + " " +
              std::to_string(settings.height));
  WindowSeamState& state = TheWindows();
  WindowHandle handle = nullptr;
  WindowProcedure procedure = nullptr;
  {
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    auto found = state.classes.find(settings.className);
    if (state.failCreation || found == state.classes.end()) return nullptr;
    procedure = found->second;
    handle = reinterpret_cast<WindowHandle>(state.nextWindow);
    state.nextWindow += 0x10;
    state.windows.push_back(fake::FakeWindow{handle, settings.className, settings.title, settings.extendedStyle,
                                             settings.style, settings.x, settings.y, settings.width,
                                             settings.height, settings.instance, false, false});
  }
  // As the system does, the creation message is sent before the call returns.
  if (procedure(handle, fake::CREATE_MESSAGE, 0, 0) == fake::CREATION_REFUSED) {
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    fake::FindWindow(state, handle)->destroyed = true;
    return nullptr;
  }
  return handle;
}

void KeepWindowsFromGhosting() { LogCall("window", "KeepWindowsFromGhosting"); }

void DestroyAppWindow(WindowHandle window) {
  LogCall("window", "DestroyAppWindow " + Number(window));
  fake::SendToWindow(window, fake::DESTROY_MESSAGE, 0, 0);
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  if (fake::FakeWindow* found = fake::FindWindow(TheWindows(), window)) found->destroyed = true;
}

void ShowAppWindow(WindowHandle window, int32_t showCommand) {
  LogCall("window", "ShowAppWindow " + Number(window) + " " + std::to_string(showCommand));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  if (fake::FakeWindow* found = fake::FindWindow(TheWindows(), window)) found->visible = showCommand != SHOW_HIDE;
}

void UpdateAppWindow(WindowHandle window) { LogCall("window", "UpdateAppWindow " + Number(window)); }

void PlaceWindow(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t width,
                 int32_t height, uint32_t flags) {
  LogCall("window", "PlaceWindow " + Number(window) + " " + Number(insertAfter) + " " + std::to_string(x) + " " +
              std::to_string(y) + " " + std::to_string(width) + " " + std::to_string(height) + " " + Hex(flags));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  fake::FakeWindow* found = fake::FindWindow(TheWindows(), window);
  if (found == nullptr) return;
  if ((flags & PLACE_NO_MOVE) == 0) {
    found->x = x;
    found->y = y;
  }
  found->width = width;
  found->height = height;
  if ((flags & PLACE_SHOW_WINDOW) != 0) found->visible = true;
}

TimerId StartWindowTimer(WindowHandle window, TimerId id, uint32_t milliseconds) {
  LogCall("window", "StartWindowTimer " + Number(window) + " " + std::to_string(id) + " " + std::to_string(milliseconds));
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  const TimerId answer = state.timerAnswerSet ? state.timerAnswer : id;
  if (answer != 0) state.timers.insert({window, answer});
  return answer;
}

void StopWindowTimer(WindowHandle window, TimerId id) {
  LogCall("window", "StopWindowTimer " + Number(window) + " " + std::to_string(id));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().timers.erase({window, id});
}

void ShowPointer(CursorHandle cursor) {
  LogCall("window", "ShowPointer " + Number(cursor));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().pointer = cursor;
}

int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand) {
  LogCall("shell_open", "OpenWithShell " + Number(owner) + " " + verb + " " + target + " " + std::to_string(showCommand));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  return TheWindows().failShell ? 0 : 1;
}

DrawContext GetWindowDrawContext(WindowHandle window) {
  LogCall("window", "GetWindowDrawContext " + Number(window));
  DrawContext dc = fake::MakeDrawContext();
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().contexts.insert({window, dc});
  return dc;
}

void ReleaseWindowDrawContext(WindowHandle window, DrawContext dc) {
  LogCall("window", "ReleaseWindowDrawContext " + Number(window));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  if (TheWindows().contexts.erase({window, dc}) == 0) ++TheWindows().badReleases;
}

void BeginWindowPaint(WindowHandle window, PaintRecord& record) {
  LogCall("window", "BeginWindowPaint " + Number(window));
  record.window = window;
  record.dc = fake::MakeDrawContext();
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().contexts.insert({window, record.dc});
}

void EndWindowPaint(PaintRecord& record) {
  LogCall("window", "EndWindowPaint " + Number(record.window));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  if (TheWindows().contexts.erase({record.window, record.dc}) == 0) ++TheWindows().badReleases;
}

int PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  LogCall("messages", "PostWindowMessage " + Number(window) + " " + std::to_string(message) + " " + std::to_string(first) +
              " " + std::to_string(second));
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  fake::TakePostedCommands(state);
  state.queue.push_back(fake::QueuedMessage{window, message, first, second});
  return 1;
}

void EndMessageLoop(int32_t exitCode) {
  LogCall("messages", "EndMessageLoop " + std::to_string(exitCode));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().endRequested = true;
  TheWindows().endCode = exitCode;
}

int32_t RunMessageLoop() {
  LogCall("messages", "RunMessageLoop");
  fake::QueuedMessage message{};
  for (;;) {
    // Posted messages come before the end request, as with the system.
    if (fake::TakeMessage(message, false)) {
      fake::Dispatch(message);
      continue;
    }
    WindowSeamState& state = TheWindows();
    int32_t code = 0;
    {
      std::lock_guard<std::recursive_mutex> guard(state.lock);
      if (!state.endRequested) break;
      state.endRequested = false;
      code = state.endCode;
    }
    LogCall("messages", "RunMessageLoop ends " + std::to_string(code));
    return code;
  }
  LogCall("messages", "RunMessageLoop stalled");
  return fake::LOOP_STALLED;
}

int InSentMessageWait() { return fake::sentMessageWaits > 0 ? 1 : 0; }

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
  LogCall("window", "DefaultWindowProcedure " + Number(window) + " " + std::to_string(message));
  return 0;
}

void EnumerateTopLevelWindows(WindowVisitor visitor, void* context) {
  LogCall("desktop_windows", "EnumerateTopLevelWindows");
  std::vector<fake::TopLevelWindow> windows;
  {
    std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
    windows = TheWindows().topLevel;
  }
  for (const fake::TopLevelWindow& window : windows) {
    {
      std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
      TheWindows().visited.push_back(window.handle);
    }
    if (visitor(window.handle, context) == 0) return;
  }
}

int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity) {
  LogCall("desktop_windows", "ReadWindowTitle " + Number(window));
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  std::string title;
  {
    std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
    bool found = false;
    for (const fake::TopLevelWindow& entry : TheWindows().topLevel) {
      if (entry.handle == window) {
        title = entry.title;
        found = true;
        break;
      }
    }
    if (!found) {
      fake::FakeWindow* own = fake::FindWindow(TheWindows(), window);
      if (own == nullptr) return 0;
      title = own->title;
    }
  }
  // As the system does: at most capacity - 1 characters and a zero.
  const size_t copied = std::min(title.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, title.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int32_t>(copied);
}

int ReadWindowProgramName(WindowHandle window, char* buffer, int32_t capacity) {
  LogCall("desktop_windows", "ReadWindowProgramName " + Number(window));
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  std::string program;
  {
    std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
    for (const fake::TopLevelWindow& entry : TheWindows().topLevel) {
      if (entry.handle == window) {
        program = entry.program;
        break;
      }
    }
  }
  // As the system side: a name that does not fit is refused, not cut.
  if (program.empty() || program.size() >= static_cast<size_t>(capacity)) return 0;
  std::memcpy(buffer, program.c_str(), program.size() + 1);
  return 1;
}

void CloseNamedMutex(void* mutex) {
  LogCall("named_mutex", "CloseNamedMutex");
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  TheWindows().mutexes.erase(mutex);
}

int CreateOwnedMutex(const char* name, UniqueNamedMutex& mutex) {
  LogCall("named_mutex", "CreateOwnedMutex " + std::string(name));
  WindowSeamState& state = TheWindows();
  int outcome = MUTEX_FAILED;
  void* handle = nullptr;
  {
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    auto named = state.mutexOutcomeByName.find(name);
    outcome = named != state.mutexOutcomeByName.end() ? named->second : state.mutexOutcome;
    if (outcome == MUTEX_FAILED) return MUTEX_FAILED;
    handle = reinterpret_cast<void*>(state.nextMutex);
    state.nextMutex += 4;
    state.mutexes[handle] = outcome == MUTEX_CREATED;
  }
  mutex.Reset(handle);
  return outcome;
}

void ReleaseNamedMutex(void* mutex) {
  LogCall("named_mutex", "ReleaseNamedMutex");
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  auto found = TheWindows().mutexes.find(mutex);
  if (found != TheWindows().mutexes.end()) found->second = false;
}

int QueryNonClientMetrics(NonClientMetrics& metrics) {
  LogCall("system_metrics", "QueryNonClientMetrics");
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  if (TheWindows().metricsRefused) return 0;
  metrics = TheWindows().metrics;
  return 1;
}

int32_t GetSystemMetric(int32_t index) {
  LogCall("system_metrics", "GetSystemMetric " + std::to_string(index));
  std::lock_guard<std::recursive_mutex> guard(TheWindows().lock);
  auto found = TheWindows().systemMetrics.find(index);
  return found == TheWindows().systemMetrics.end() ? 0 : found->second;
}

}  // namespace platform

// The fake of the window seam (window.h): classes, windows, timers, the
// pointer and drawing contexts; a window's procedure is called as the system
// would call it.
#include "platform/fake/fake_window.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <set>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_canvas.h"

namespace platform::fake {

WindowKnobs windowKnobs;

namespace {

// The system's numbers of the messages the fake itself produces.
constexpr uint32_t CREATE_MESSAGE = 0x0001;
constexpr uint32_t DESTROY_MESSAGE = 0x0002;
// What a creation handler answers to refuse the window.
constexpr intptr_t CREATION_REFUSED = -1;

struct WindowSeamState {
  // Never held while a procedure runs.
  std::recursive_mutex lock;

  std::map<std::string, WindowProcedure> classes;
  std::vector<FakeWindow> windows;
  uintptr_t nextWindow = 0x10000;

  std::set<std::pair<WindowHandle, TimerId>> timers;
  std::set<std::pair<WindowHandle, DrawContext>> contexts;
  size_t badReleases = 0;
  CursorHandle pointer = nullptr;
};

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

}  // namespace

void ResetWindow() {
  WindowSeamState& state = TheWindows();
  std::lock_guard<std::recursive_mutex> guard(state.lock);
  // Handles are never reused, so one left over from an earlier test never
  // reaches a new window.
  const uintptr_t nextWindow = state.nextWindow;
  windowKnobs = WindowKnobs{};
  state.classes.clear();
  state.windows.clear();
  state.nextWindow = nextWindow;
  state.timers.clear();
  state.contexts.clear();
  state.badReleases = 0;
  state.pointer = nullptr;
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

intptr_t SendToWindow(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  WindowProcedure procedure = LiveProcedure(window);
  return procedure != nullptr ? procedure(window, message, first, second) : 0;
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
  if (fake::windowKnobs.failRegistration || procedure == nullptr) return 0;
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
    if (fake::windowKnobs.failCreation || found == state.classes.end()) return nullptr;
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
  const TimerId answer = fake::windowKnobs.timerAnswerSet ? fake::windowKnobs.timerAnswer : id;
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

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
  LogCall("window", "DefaultWindowProcedure " + Number(window) + " " + std::to_string(message));
  return 0;
}

}  // namespace platform

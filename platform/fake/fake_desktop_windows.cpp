// The fake of the desktop's top-level windows (desktop_windows.h): the other
// programs' windows a test adds; the titles of the fake's own windows too.
#include "platform/fake/fake_desktop_windows.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/desktop_windows.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_window.h"

namespace platform::fake {

namespace {

struct TopLevelWindow {
  WindowHandle handle;
  std::string title;
  std::string program;  // empty: the name cannot be read
};

struct DesktopState {
  std::mutex lock;
  std::vector<TopLevelWindow> topLevel;
  std::vector<WindowHandle> visited;
};

DesktopState& TheDesktop() {
  static DesktopState state;
  return state;
}

std::string Number(const void* handle) { return std::to_string(reinterpret_cast<uintptr_t>(handle)); }

// The entry of `window` among the other programs' windows; null when none.
const TopLevelWindow* Find(WindowHandle window) {
  for (const TopLevelWindow& entry : TheDesktop().topLevel) {
    if (entry.handle == window) return &entry;
  }
  return nullptr;
}

}  // namespace

void ResetDesktop() {
  std::lock_guard<std::mutex> guard(TheDesktop().lock);
  TheDesktop().topLevel.clear();
  TheDesktop().visited.clear();
}

void AddTopLevelWindow(WindowHandle window, const std::string& title, const std::string& program) {
  std::lock_guard<std::mutex> guard(TheDesktop().lock);
  TheDesktop().topLevel.push_back(TopLevelWindow{window, title, program});
}

std::vector<WindowHandle> VisitedWindows() {
  std::lock_guard<std::mutex> guard(TheDesktop().lock);
  return TheDesktop().visited;
}

}  // namespace platform::fake

namespace platform {

using fake::Number;
using fake::TheDesktop;

void EnumerateTopLevelWindows(WindowVisitor visitor, void* context) {
  fake::LogCall("desktop_windows", "EnumerateTopLevelWindows");
  std::vector<fake::TopLevelWindow> windows;
  {
    std::lock_guard<std::mutex> guard(TheDesktop().lock);
    windows = TheDesktop().topLevel;
  }
  for (const fake::TopLevelWindow& window : windows) {
    {
      std::lock_guard<std::mutex> guard(TheDesktop().lock);
      TheDesktop().visited.push_back(window.handle);
    }
    if (visitor(window.handle, context) == 0) return;
  }
}

int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity) {
  fake::LogCall("desktop_windows", "ReadWindowTitle " + Number(window));
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  std::string title;
  bool found = false;
  {
    std::lock_guard<std::mutex> guard(TheDesktop().lock);
    if (const fake::TopLevelWindow* entry = fake::Find(window)) {
      title = entry->title;
      found = true;
    }
  }
  if (!found) {
    for (const fake::FakeWindow& own : fake::Windows()) {
      if (own.handle == window) {
        title = own.title;
        found = true;
        break;
      }
    }
    if (!found) return 0;
  }
  // As the system does: at most capacity - 1 characters and a zero.
  const size_t copied = std::min(title.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, title.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int32_t>(copied);
}

int ReadWindowProgramName(WindowHandle window, char* buffer, int32_t capacity) {
  fake::LogCall("desktop_windows", "ReadWindowProgramName " + Number(window));
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  std::string program;
  {
    std::lock_guard<std::mutex> guard(TheDesktop().lock);
    if (const fake::TopLevelWindow* entry = fake::Find(window)) program = entry->program;
  }
  // As the system side: a name that does not fit is refused, not cut.
  if (program.empty() || program.size() >= static_cast<size_t>(capacity)) return 0;
  std::memcpy(buffer, program.c_str(), program.size() + 1);
  return 1;
}

}  // namespace platform

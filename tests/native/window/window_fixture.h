// Shared set-up of the window and start-up tests: every fake back to its
// start, the 900 by 424 picture present, the option flags and the state
// record cleared; helpers over the shared seam log.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state_instance.h"
#include "app/options.h"
#include "platform/fake/fake_canvas.h"
#include "platform/fake/fake_file_copy.h"
#include "platform/fake/fake_log_file.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_shell_link.h"
#include "platform/fake/fake_threads.h"
#include "platform/fake/fake_window.h"
#include "platform/messages.h"
#include "ui/main_window.h"

namespace window_test {

namespace fake = platform::fake;

inline std::string Number(const void* handle) { return std::to_string(reinterpret_cast<uintptr_t>(handle)); }

// The seam log lines that begin with `operation` followed by a blank or the
// end, in order.
inline std::vector<std::string> LinesOf(const std::string& operation) {
  std::vector<std::string> found;
  for (const std::string& line : fake::SeamLog()) {
    if (line == operation || line.rfind(operation + " ", 0) == 0) found.push_back(line);
  }
  return found;
}

// Index of the first seam log line beginning with `prefix`; -1 when none.
inline int IndexOf(const std::string& prefix) {
  const std::vector<std::string> log = fake::SeamLog();
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

// Runs the message loop; its quit code, or INT32_MAX when it failed.
inline int32_t LoopQuitCode() {
  int32_t quitCode = INT32_MAX;
  if (!platform::RunMessageLoop(quitCode)) ADD_FAILURE() << "the message loop failed";
  return quitCode;
}

// Lets messages reach the window while a message box is up, as the box's own
// message loop does.
inline void PumpWhileBoxesShow() {
  fake::SetCallObserver([](const std::string& line) {
    if (line.rfind("ShowMessageBox", 0) == 0) fake::DispatchQueuedMessages();
  });
}

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();  // tests run it again for a further case
    fake::AddBitmapResource(101, 900, 424);
    ui::ResetWindowEnding();
    app::ClearAppState(app::appState);
    app::hiddenMode = 0;
    app::installMode = 0;
    app::uninstallMode = 0;
  }

  void TearDown() override {
    fake::SetCallObserver(nullptr);
    fake::JoinThreads();
    EXPECT_EQ(fake::OpenDrawContexts(), 0u);
    EXPECT_EQ(fake::BadContextReleases(), 0u);
    EXPECT_EQ(fake::BadDeleteCount(), 0u);
  }
};

}  // namespace window_test

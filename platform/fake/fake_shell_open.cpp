// The fake of opening with the shell (shell_open.h): logged, answering what
// the test set.
#include "platform/fake/fake_shell_open.h"

#include <atomic>
#include <string>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/shell_open.h"

namespace platform::fake {

namespace {

std::atomic<bool> failShell{false};

}  // namespace

void ResetShell() { failShell = false; }

void FailShell(bool fail) { failShell = fail; }

}  // namespace platform::fake

namespace platform {

int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand) {
  fake::LogCall("shell_open", "OpenWithShell " + std::to_string(reinterpret_cast<uintptr_t>(owner)) + " " + verb +
                                  " " + target + " " + std::to_string(showCommand));
  return fake::failShell ? 0 : 1;
}

}  // namespace platform

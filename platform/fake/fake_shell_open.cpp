// The fake of opening with the shell (shell_open.h): logged, answering what
// the test set.
#include "platform/fake/fake_shell_open.h"

#include <string>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/shell_open.h"

namespace platform::fake {

ShellKnobs shellKnobs;

void ResetShell() { shellKnobs = ShellKnobs{}; }

}  // namespace platform::fake

namespace platform {

int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand) {
  fake::LogCall("shell_open", "OpenWithShell " + std::to_string(reinterpret_cast<uintptr_t>(owner)) + " " + verb +
                                  " " + target + " " + std::to_string(showCommand));
  return fake::shellKnobs.fail ? 0 : 1;
}

}  // namespace platform

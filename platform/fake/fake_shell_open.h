// Control of the fake shell (shell_open.h). After fake::Reset opening
// succeeds. Call log line: "OpenWithShell W VERB TARGET SHOW" (W a number).
#pragma once

namespace platform::fake {

// What a test sets; fake::Reset puts back these values.
struct ShellKnobs {
  bool fail = false;
};
extern ShellKnobs shellKnobs;

}  // namespace platform::fake

// Control of the fake shell (shell_open.h). After fake::Reset opening
// succeeds. Call log line: "OpenWithShell W VERB TARGET SHOW" (W a number).
#pragma once

namespace platform::fake {

void FailShell(bool fail);

}  // namespace platform::fake

// Control of the fake thread seam of the host build.
//
// Seam log lines (fake_seam_log.h):
//   "StartThread ID" or "StartThread failed", "WaitForThread ID", "CloseThread ID",
//   "LowerOwnThreadPriority", "PauseThread MS", "InitializeThreadCom", "UninitializeThreadCom"
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::fake {

// How a started thread runs its body.
enum class ThreadMode {
  // Held until WaitForThread on it or RunPendingThreads: a test sees the
  // state between the start and the body, and the body never races it.
  Deferred,
  // Run inside StartThread, before it returns.
  Immediate,
  // On a real thread of its own; WaitForThread joins it.
  Real,
};

// fake::Reset joins every real thread still running, then: Deferred mode,
// thread creation succeeds, COM initialisation answers 1, counts and ids
// restart.

// Joins every real thread still running, and nothing else: a test's last
// checks then see everything the threads did.
void JoinThreads();

// What a test sets; fake::Reset puts back these values.
struct ThreadKnobs {
  ThreadMode mode = ThreadMode::Deferred;
  bool failCreation = false;  // StartThread fails (returns null)
  int comInitResult = 1;      // InitializeThreadCom answers it (1 began COM, 0 not)
};
extern ThreadKnobs threadKnobs;

// Runs the bodies of deferred threads not yet run, in start order; returns
// how many ran.
size_t RunPendingThreads();
// Deferred threads whose bodies have not run yet.
size_t PendingThreads();
// Thread handles handed out and not yet closed.
size_t OpenThreadHandles();
// Waits or closes on something that was not an open thread handle.
size_t BadThreadHandleUses();
// Exit code of the last body that finished; -1 before any.
int64_t LastThreadExitCode();

}  // namespace platform::fake

// Control of the fake single-instance mutex (named_mutex.h). After
// fake::Reset every creation succeeds and no handle is open. Call log lines:
// "CreateOwnedMutex NAME", "ReleaseNamedMutex", "CloseNamedMutex".
#pragma once

#include <cstddef>
#include <string>

#include "platform/named_mutex.h"

namespace platform::fake {

// CreateOwnedMutex answers `outcome` (MUTEX_*) from now on, for every name
// not given an outcome of its own.
void SetMutexOutcome(int outcome);
// CreateOwnedMutex answers `outcome` for the mutex `name` from now on.
void SetMutexOutcomeFor(const std::string& name, int outcome);

// Mutex handles created and not yet closed; true while one of them is owned.
size_t OpenMutexHandles();
bool MutexOwned();

}  // namespace platform::fake

// Control of the fake single-instance mutex (named_mutex.h). After
// fake::Reset every creation succeeds and no handle is open. Call log lines:
// "CreateOwnedMutex NAME", "ReleaseNamedMutex", "CloseNamedMutex".
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "platform/named_mutex.h"

namespace platform::fake {

// What a test sets; fake::Reset puts back these values.
struct MutexKnobs {
  // What CreateOwnedMutex answers (MUTEX_*): for the names listed, else
  // `outcome`.
  int outcome = MUTEX_CREATED;
  std::map<std::string, int> outcomeByName;
};
extern MutexKnobs mutexKnobs;

// Mutex handles created and not yet closed; true while one of them is owned.
size_t OpenMutexHandles();
bool MutexOwned();

}  // namespace platform::fake

// The fake of the single-instance mutex (named_mutex.h): handles counted,
// ownership kept, creation answering what the test set.
#include "platform/fake/fake_named_mutex.h"

#include <map>
#include <mutex>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"

namespace platform::fake {

MutexKnobs mutexKnobs;

namespace {

struct MutexState {
  std::mutex lock;
  uintptr_t nextMutex = 0x7000;
  // Open mutex handles and whether each is owned.
  std::map<void*, bool> mutexes;
};

MutexState& TheMutexes() {
  static MutexState state;
  return state;
}

}  // namespace

void ResetMutexes() {
  MutexState& state = TheMutexes();
  std::lock_guard<std::mutex> guard(state.lock);
  mutexKnobs = MutexKnobs{};
  // Handles are never reused: one left over from an earlier test never
  // names a new mutex.
  state.mutexes.clear();
}

size_t OpenMutexHandles() {
  std::lock_guard<std::mutex> guard(TheMutexes().lock);
  return TheMutexes().mutexes.size();
}

bool MutexOwned() {
  std::lock_guard<std::mutex> guard(TheMutexes().lock);
  for (const auto& mutex : TheMutexes().mutexes) {
    if (mutex.second) return true;
  }
  return false;
}

}  // namespace platform::fake

namespace platform {

using fake::TheMutexes;

void CloseNamedMutex(void* mutex) {
  fake::LogCall("named_mutex", "CloseNamedMutex");
  std::lock_guard<std::mutex> guard(TheMutexes().lock);
  TheMutexes().mutexes.erase(mutex);
}

int CreateOwnedMutex(const char* name, UniqueNamedMutex& mutex) {
  fake::LogCall("named_mutex", "CreateOwnedMutex " + std::string(name));
  fake::MutexState& state = TheMutexes();
  int outcome = MUTEX_FAILED;
  void* handle = nullptr;
  {
    std::lock_guard<std::mutex> guard(state.lock);
    auto named = fake::mutexKnobs.outcomeByName.find(name);
    outcome = named != fake::mutexKnobs.outcomeByName.end() ? named->second : fake::mutexKnobs.outcome;
    if (outcome == MUTEX_FAILED) return MUTEX_FAILED;
    handle = reinterpret_cast<void*>(state.nextMutex);
    state.nextMutex += 4;
    state.mutexes[handle] = outcome == MUTEX_CREATED;
  }
  mutex.Reset(handle);
  return outcome;
}

void ReleaseNamedMutex(void* mutex) {
  fake::LogCall("named_mutex", "ReleaseNamedMutex");
  std::lock_guard<std::mutex> guard(TheMutexes().lock);
  auto found = TheMutexes().mutexes.find(mutex);
  if (found != TheMutexes().mutexes.end()) found->second = false;
}

}  // namespace platform

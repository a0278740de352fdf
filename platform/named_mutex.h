// Platform seam: the single-instance lock, a system-wide named mutex.
#pragma once

#include "platform/unique_handle.h"

namespace platform {

void CloseNamedMutex(void* mutex);

using UniqueNamedMutex = UniqueHandle<NullableHandleTraits<void*, CloseNamedMutex>>;

// Results of CreateOwnedMutex.
inline constexpr int MUTEX_CREATED = 0;         // new, owned by the calling thread
inline constexpr int MUTEX_ALREADY_EXISTS = 1;  // another holder made it first; not owned
inline constexpr int MUTEX_FAILED = 2;          // no handle came back

// Creates the system-wide mutex `name` owned by the calling thread, with no
// security attributes. On MUTEX_CREATED and MUTEX_ALREADY_EXISTS `mutex`
// holds a handle (closed when it goes out of scope); on MUTEX_FAILED none.
int CreateOwnedMutex(const char* name, UniqueNamedMutex& mutex);

// Gives up ownership of a mutex that CreateOwnedMutex made; the handle stays.
void ReleaseNamedMutex(void* mutex);

}  // namespace platform

// Win32 side of the single-instance lock: CreateMutexA and its release.
#include "platform/named_mutex.h"

#include <windows.h>

namespace platform {

void CloseNamedMutex(void* mutex) {
  const DWORD error = ::GetLastError();
  ::CloseHandle(static_cast<HANDLE>(mutex));
  ::SetLastError(error);
}

int CreateOwnedMutex(const char* name, UniqueNamedMutex& mutex) {
  // CreateMutexA leaves the last error alone when it makes a new mutex, so
  // an old ERROR_ALREADY_EXISTS must not be mistaken for this call's.
  ::SetLastError(ERROR_SUCCESS);
  HANDLE handle = ::CreateMutexA(nullptr, TRUE, name);
  if (handle == nullptr) return MUTEX_FAILED;
  const DWORD error = ::GetLastError();
  mutex.Reset(handle);
  return error == ERROR_ALREADY_EXISTS ? MUTEX_ALREADY_EXISTS : MUTEX_CREATED;
}

void ReleaseNamedMutex(void* mutex) { ::ReleaseMutex(static_cast<HANDLE>(mutex)); }

}  // namespace platform

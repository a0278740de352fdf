// Platform operation: a read-only view of the package bytes that travel in
// the program's own file (raw-data resource 100).
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/unique_handle.h"

namespace platform {

inline constexpr int PACKAGE_RESOURCE_ID = 100;

// Results of OpenPackage.
inline constexpr int PACKAGE_OPEN = 0;
inline constexpr int PACKAGE_MISSING = 1;     // no such resource in the module
inline constexpr int PACKAGE_UNREADABLE = 2;  // found, but not loadable or its bytes not obtainable

struct ReadOnlyBytes {
  const uint8_t* data;
  uint64_t size;
};

void ReleasePackage(void* package);

using UniquePackage = UniqueHandle<NullableHandleTraits<void*, ReleasePackage>>;

// Finds and loads the package resource of module `instance`. On PACKAGE_OPEN
// `bytes` views the package until `package` is released; otherwise `bytes` is
// empty and nothing stays loaded.
int OpenPackage(ModuleHandle instance, UniquePackage& package, ReadOnlyBytes& bytes);

}  // namespace platform

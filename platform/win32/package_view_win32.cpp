// The package bytes: raw-data resource 100 of the given module.
#include <windows.h>

#include "platform/package_view.h"
#include "platform/win32/win32_handles.h"

namespace platform {

void ReleasePackage(void* package) {
  win32::ResourceTraits::Close(static_cast<HGLOBAL>(package));
}

int OpenPackage(ModuleHandle instance, UniquePackage& package, ReadOnlyBytes& bytes) {
  package.Reset();
  bytes = ReadOnlyBytes{nullptr, 0};
  const HMODULE module = static_cast<HMODULE>(instance);
  const HRSRC found =
      FindResourceA(module, MAKEINTRESOURCEA(PACKAGE_RESOURCE_ID), MAKEINTRESOURCEA(10));
  if (found == nullptr) {
    return PACKAGE_MISSING;
  }
  win32::UniqueResource loaded(LoadResource(module, found));
  if (!loaded.IsValid()) {
    return PACKAGE_UNREADABLE;
  }
  const void* data = LockResource(loaded.Get());
  if (data == nullptr) {
    return PACKAGE_UNREADABLE;
  }
  bytes = ReadOnlyBytes{static_cast<const uint8_t*>(data), SizeofResource(module, found)};
  package.Reset(loaded.Release());
  return PACKAGE_OPEN;
}

}  // namespace platform

// Registry operations of the platform seam over the Win32 registry. No view
// flag is ever added: keys are those of the calling process's own view.
#include "platform/registry.h"

#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace platform {
namespace {

// The roots are spelled out rather than cast, since the system's predefined
// handles are sign-extended values.
HKEY ToHkey(RegistryKeyId key) {
  if (key == REGISTRY_HKLM) return HKEY_LOCAL_MACHINE;
  if (key == REGISTRY_HKCU) return HKEY_CURRENT_USER;
  return reinterpret_cast<HKEY>(key);
}

RegistryKeyId FromHkey(HKEY key) { return reinterpret_cast<RegistryKeyId>(key); }

}  // namespace

void CloseRegistryKey(RegistryKeyId key) {
  if (key == REGISTRY_HKLM || key == REGISTRY_HKCU) return;
  win32::KeepingLastError([key] { RegCloseKey(ToHkey(key)); });
}

RegistryResult OpenRegistryKey(RegistryKeyId parent, const char* subKey, uint32_t access,
                               RegistryKey& key) {
  HKEY opened = nullptr;
  LONG result = access == REGISTRY_ACCESS_DEFAULT
                    ? RegOpenKeyA(ToHkey(parent), subKey, &opened)
                    : RegOpenKeyExA(ToHkey(parent), subKey, 0, access, &opened);
  if (result == ERROR_SUCCESS) key.Reset(FromHkey(opened));
  return result;
}

RegistryResult CreateRegistryKey(RegistryKeyId parent, const char* subKey, RegistryKey& key) {
  HKEY created = nullptr;
  LONG result = RegCreateKeyA(ToHkey(parent), subKey, &created);
  if (result == ERROR_SUCCESS) key.Reset(FromHkey(created));
  return result;
}

RegistryResult SetRegistryString(RegistryKeyId key, const char* valueName, const char* data,
                                 uint32_t byteCount) {
  return RegSetValueExA(ToHkey(key), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                        byteCount);
}

RegistryResult QueryRegistryValue(RegistryKeyId key, const char* valueName, uint32_t& type,
                                  uint8_t* area, uint32_t& byteCount) {
  DWORD valueType = type;
  DWORD count = byteCount;
  LONG result = RegQueryValueExA(ToHkey(key), valueName, nullptr, &valueType, area, &count);
  type = valueType;
  byteCount = count;
  return result;
}

RegistryResult EnumRegistrySubKey(RegistryKeyId key, uint32_t index, char* name,
                                  uint32_t& nameCapacity) {
  DWORD capacity = nameCapacity;
  LONG result =
      RegEnumKeyExA(ToHkey(key), index, name, &capacity, nullptr, nullptr, nullptr, nullptr);
  nameCapacity = capacity;
  return result;
}

RegistryResult DeleteRegistryKey(RegistryKeyId parent, const char* subKey) {
  return RegDeleteKeyA(ToHkey(parent), subKey);
}

}  // namespace platform

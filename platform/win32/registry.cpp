// Registry operations of the platform seam over the Win32 registry. No view
// flag is ever added: keys are those of the calling process's own view.
#include "platform/registry.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/exact_names.h"
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

using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
using NtStatusToErrorFunction = ULONG(NTAPI*)(LONG);

// The value that makes a key a link, and its type (REG_LINK).
constexpr wchar_t LINK_VALUE_NAME[] = L"SymbolicLinkValue";
constexpr DWORD LINK_VALUE_TYPE = 6;

// The UTF-16 area in which a text value is read: twice the bytes of the
// ANSI area the callers read, so the same values fit.
constexpr DWORD WIDE_TEXT_AREA_BYTES = 8192;

// A sub-key name has at most 255 characters.
constexpr DWORD WIDE_KEY_NAME_AREA = 256;

// ntdll is in every process from its first instruction; its functions are
// looked up rather than linked, as for every optional call.
FARPROC NtdllFunction(const char* name) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll == nullptr ? nullptr : GetProcAddress(ntdll, name);
}

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

RegistryResult OpenRegistryKeyItself(RegistryKeyId parent, const char* subKey, uint32_t access,
                                     RegistryKey& key) {
  HKEY opened = nullptr;
  LONG result = RegOpenKeyExA(ToHkey(parent), subKey, REG_OPTION_OPEN_LINK, access, &opened);
  if (result == ERROR_SUCCESS) key.Reset(FromHkey(opened));
  return result;
}

int IsRegistryLink(RegistryKeyId key) {
  DWORD type = 0;
  DWORD size = 0;
  const LONG result = RegQueryValueExW(ToHkey(key), LINK_VALUE_NAME, nullptr, &type, nullptr, &size);
  return (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) && type == LINK_VALUE_TYPE ? 1 : 0;
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

RegistryResult QueryRegistryTextExact(RegistryKeyId key, const char* valueName, char* text,
                                      uint32_t capacity) {
  if (capacity == 0) return REGISTRY_MORE_DATA;
  text[0] = '\0';
  win32::WideArea name(win32::WIDE_PATH_CHARS);
  if (valueName != nullptr && !win32::AnsiToWide(valueName, name)) return REGISTRY_NO_EXACT_FORM;
  // One character more than asked for, so that the text always ends.
  win32::WideArea area(WIDE_TEXT_AREA_BYTES / sizeof(wchar_t) + 1);
  if (area.capacity == 0) return REGISTRY_MORE_DATA;
  std::memset(area.data, 0, area.capacity * sizeof(wchar_t));
  DWORD type = 0;
  DWORD size = WIDE_TEXT_AREA_BYTES;
  const LONG result =
      RegQueryValueExW(ToHkey(key), valueName != nullptr ? name.data : nullptr, nullptr, &type,
                       reinterpret_cast<BYTE*>(area.data), &size);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ) return REGISTRY_FILE_NOT_FOUND;
  if (win32::ExactAnsiName(area.data, text, capacity) == 1) return REGISTRY_OK;
  // Tell a text that does not fit from one that has no exact form.
  const int needed = WideCharToMultiByte(CP_ACP, 0, area.data, -1, nullptr, 0, nullptr, nullptr);
  return needed > 0 && static_cast<uint32_t>(needed) > capacity ? REGISTRY_MORE_DATA
                                                                 : REGISTRY_NO_EXACT_FORM;
}

RegistryResult EnumRegistrySubKey(RegistryKeyId key, uint32_t index, char* name,
                                  uint32_t& nameCapacity) {
  DWORD capacity = nameCapacity;
  LONG result =
      RegEnumKeyExA(ToHkey(key), index, name, &capacity, nullptr, nullptr, nullptr, nullptr);
  if (result != ERROR_SUCCESS) {
    nameCapacity = capacity;
    return result;
  }
  // The name stands only when it is the exact spelling of the one the
  // system lists at the same place.
  wchar_t wide[WIDE_KEY_NAME_AREA] = {};
  DWORD wideCapacity = WIDE_KEY_NAME_AREA;
  win32::AnsiArea exact(nameCapacity);
  if (RegEnumKeyExW(ToHkey(key), index, wide, &wideCapacity, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS ||
      exact.capacity == 0 || win32::ExactAnsiName(wide, exact.data, nameCapacity) == 0 ||
      std::strcmp(exact.data, name) != 0) {
    name[0] = '\0';
    return REGISTRY_NO_EXACT_FORM;
  }
  nameCapacity = capacity;
  return result;
}

RegistryResult DeleteRegistryKey(RegistryKeyId key) {
  // The key goes through its own handle (NtDeleteKey), so that a link opened
  // itself is deleted as the link.
  const auto deleteKey = win32::FunctionCast<NtDeleteKeyFunction>(NtdllFunction("NtDeleteKey"));
  if (deleteKey == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  const LONG status = deleteKey(ToHkey(key));
  if (status == 0) return REGISTRY_OK;
  const auto toError =
      win32::FunctionCast<NtStatusToErrorFunction>(NtdllFunction("RtlNtStatusToDosError"));
  return toError != nullptr ? static_cast<RegistryResult>(toError(status)) : REGISTRY_ACCESS_DENIED;
}

}  // namespace platform

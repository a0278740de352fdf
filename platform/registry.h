// Registry operations of the platform seam: open, create, store, query, list
// and delete keys, at the level the registry helpers need them. Implemented
// over the Win32 registry in the Windows build and in memory in the fake.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// A registry key as the seam names it: one of the two roots below or a key
// opened through this seam. The value is opaque to the portable code.
using RegistryKeyId = uintptr_t;

// The two roots the setup procedures work under. They are never closed.
inline constexpr RegistryKeyId REGISTRY_HKCU = 0x80000001;  // HKEY_CURRENT_USER
inline constexpr RegistryKeyId REGISTRY_HKLM = 0x80000002;  // HKEY_LOCAL_MACHINE

// Results of the registry operations: the system's own error codes.
using RegistryResult = int32_t;
inline constexpr RegistryResult REGISTRY_OK = 0;  // ERROR_SUCCESS
inline constexpr RegistryResult REGISTRY_FILE_NOT_FOUND = 2;  // no such key or value
inline constexpr RegistryResult REGISTRY_ACCESS_DENIED = 5;  // no rights, or a key with sub-keys
inline constexpr RegistryResult REGISTRY_MORE_DATA = 234;  // the area is too small
inline constexpr RegistryResult REGISTRY_NO_MORE_ITEMS = 259;  // past the last sub-key
inline constexpr RegistryResult REGISTRY_KEY_DELETED = 1018;  // the open key was deleted
// ERROR_NO_UNICODE_TRANSLATION: the name or text the system holds has no
// exact form in the ANSI code page.
inline constexpr RegistryResult REGISTRY_NO_EXACT_FORM = 1113;

// Value types.
inline constexpr uint32_t REGISTRY_TYPE_SZ = 1;  // REG_SZ
inline constexpr uint32_t REGISTRY_TYPE_EXPAND_SZ = 2;  // REG_EXPAND_SZ
inline constexpr uint32_t REGISTRY_TYPE_BINARY = 3;  // REG_BINARY

// Access asked for when opening a key. DEFAULT is what a plain open of an
// existing key gives (RegOpenKeyA); LIST_AND_DELETE is the right to list the
// key's sub-keys plus the right to delete the key (0x0008 + 0x10000).
// QUERY is the right to read the key's values (0x0001).
inline constexpr uint32_t REGISTRY_ACCESS_DEFAULT = 0;
inline constexpr uint32_t REGISTRY_ACCESS_LIST_AND_DELETE = 0x10008;
inline constexpr uint32_t REGISTRY_ACCESS_QUERY = 0x0001;

// Closes a key opened through the seam; a root is left alone. Used by
// RegistryKey only.
void CloseRegistryKey(RegistryKeyId key);

// Owns one key opened through the seam and closes it when it goes.
using RegistryKey = UniqueHandle<NullableHandleTraits<RegistryKeyId, CloseRegistryKey>>;

// Opens the existing key `subKey` (backslash-separated, relative to `parent`)
// with `access`; on success `key` holds it. The calling process's own
// registry view is used: no view is selected.
RegistryResult OpenRegistryKey(RegistryKeyId parent, const char* subKey, uint32_t access,
                               RegistryKey& key);

// Registry links. A key may be a symbolic link to another key
// (REG_OPTION_CREATE_LINK, its target in the REG_LINK value
// "SymbolicLinkValue"); an ordinary open follows it. OpenRegistryKeyItself
// opens `subKey` of `parent` with REG_OPTION_OPEN_LINK: the links of the
// folders of its path are followed as the system does, but a link at its
// last component is opened as the link itself, whose own sub-keys are none.
// Ask REGISTRY_ACCESS_QUERY to be able to ask IsRegistryLink.
RegistryResult OpenRegistryKeyItself(RegistryKeyId parent, const char* subKey, uint32_t access,
                                     RegistryKey& key);

// 1 when `key`, opened itself with the right to read its values, is a
// registry link; 0 otherwise.
int IsRegistryLink(RegistryKeyId key);

// Opens `subKey` under `parent`, creating it and every missing parent first.
RegistryResult CreateRegistryKey(RegistryKeyId parent, const char* subKey, RegistryKey& key);

// Stores `byteCount` bytes of `data` as the REG_SZ value `valueName` of `key`,
// replacing any value of that name. The byte count is stored as given: the
// caller decides whether the terminating zero is part of it.
RegistryResult SetRegistryString(RegistryKeyId key, const char* valueName, const char* data,
                                 uint32_t byteCount);

// Reads the value `valueName` of `key` into `area`, which holds `byteCount`
// bytes on entry. Sets `type` and sets `byteCount` to the size of the data;
// when the data does not fit the result is REGISTRY_MORE_DATA and `byteCount`
// is the size needed.
RegistryResult QueryRegistryValue(RegistryKeyId key, const char* valueName, uint32_t& type,
                                  uint8_t* area, uint32_t& byteCount);

// Reads the REG_SZ value `valueName` of `key` as the system holds it
// (UTF-16) and writes into `text` (`capacity` bytes) its text up to the
// first zero, in the ANSI code page, only when that spelling is exact.
// REGISTRY_NO_EXACT_FORM when there is none, REGISTRY_MORE_DATA when it does
// not fit; `text` is then empty. Another type is REGISTRY_FILE_NOT_FOUND.
RegistryResult QueryRegistryTextExact(RegistryKeyId key, const char* valueName, char* text,
                                      uint32_t capacity);

// Names the sub-key at `index` of `key` in `name`. On entry `nameCapacity` is
// the capacity of `name` in characters, terminator included; on success it
// becomes the name's length without the terminator. REGISTRY_NO_MORE_ITEMS
// once `index` is past the last sub-key; any other failure keeps its own code
// (REGISTRY_MORE_DATA for a name that does not fit, REGISTRY_NO_EXACT_FORM
// for a name whose ANSI spelling is not exact: a best-fit name would open
// another key).
RegistryResult EnumRegistrySubKey(RegistryKeyId key, uint32_t index, char* name,
                                  uint32_t& nameCapacity);

// Deletes the opened key `key` itself (the right to delete asked for when it
// was opened); a key opened itself that is a link goes as the link, its
// target untouched. Fails when the key still has sub-keys. Deleting by name
// would open the name again and follow a link at it.
RegistryResult DeleteRegistryKey(RegistryKeyId key);

}  // namespace platform

// Control of the in-memory registry behind the platform seam in the native
// build: seed keys and values, inject failures, read the ordered call log.
//
// Keys are named by full paths that start with the root, "HKLM\..." or
// "HKCU\...", compared without regard to case like the system does. Sub-keys
// are listed in name order, as the system lists them.
//
// Links follow the system's registry symbolic links as RegCreateKeyEx and
// RegOpenKeyEx describe them
// (https://learn.microsoft.com/en-us/windows/win32/api/winreg/nf-winreg-regcreatekeyexa,
// https://learn.microsoft.com/en-us/windows/win32/api/winreg/nf-winreg-regopenkeyexa):
// a link key names another key by its absolute path; every open, create,
// query and ordinary delete through its name acts on the target; opened with
// REG_OPTION_OPEN_LINK (OpenRegistryKeyItself) it is the link key itself,
// with no sub-keys of its own, and deleting that handle (ZwDeleteKey,
// https://learn.microsoft.com/en-us/windows-hardware/drivers/ddi/wdm/nf-wdm-zwdeletekey)
// removes the link alone. A link passed through in the middle of a path, or
// a handle of a link used as parent, is followed, as Wine 8 was seen to do.
// Names are ASCII in the fake's ANSI code page: a sub-key name with a byte
// of 0x80 or above is listed as REGISTRY_NO_EXACT_FORM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_seam_log.h"
#include "platform/registry.h"

namespace platform::fake {

// The operations of the registry seam, for failure injection.
enum class RegistryOp { Open, Create, SetValue, Query, Enum, Delete };

struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  bool exact = true;  // false: the system's text has no exact ANSI form
};

// Past this many seam calls every further call fails with
// REGISTRY_ACCESS_DENIED and is not logged, so that a walk that never ends
// shows as a failed test instead of a hung one.
constexpr size_t REGISTRY_CALL_LIMIT = 10000;

// Empties both roots, forgets open keys, injected failures and the
// registry's lines of the call log. Part of fake::Reset; a test calls it
// alone to take away what its fixture seeded.
void ResetRegistry();

// Creates the key `path` and its missing parents. Not logged.
void AddRegistryKey(const std::string& path);

// Stores a value of any type under `path` (created when missing); `name`
// empty is the key's default value. Not logged.
void PutRegistryValue(const std::string& path, const std::string& name, uint32_t type,
                      const std::vector<uint8_t>& data);
// Stores `text` without its terminator as a REG_SZ value, or with it when
// `withTerminator`.
void PutRegistryText(const std::string& path, const std::string& name, const std::string& text,
                     bool withTerminator);

// Makes `path` (created when missing, its parents too) a link to the key
// `target`, a full path such as "HKLM\SOFTWARE\Victim". Not logged.
void AddRegistryLink(const std::string& path, const std::string& target);

// Stores a terminated REG_SZ value whose ANSI reading is `ansiText` (a
// best-fit spelling, say) while the text the system holds has no exact ANSI
// form. Not logged.
void PutRegistryInexactText(const std::string& path, const std::string& name,
                            const std::string& ansiText);

// Whether the key `path` exists (a link at its last part itself; links on
// the way followed).
bool RegistryKeyExists(const std::string& path);
std::optional<RegistryValue> GetRegistryValue(const std::string& path, const std::string& name);

// Makes every later `op` on the key `path` fail with `code`. For Open and
// Create the path is the key asked for; for SetValue, Query and Enum the key
// acted on; for Delete the key to be deleted.
void FailRegistry(RegistryOp op, const std::string& path, RegistryResult code);

// Registry seam lines of the call log (fake_seam_log.h; RegistryLog() gives
// them alone), "Operation arguments":
//   "OpenRegistryKey PATH", "CreateRegistryKey PATH",
//   "OpenRegistryKeyItself PATH", "IsRegistryLink PATH",
//   "SetRegistryString PATH [NAME] BYTECOUNT", "QueryRegistryValue PATH [NAME]",
//   "QueryRegistryTextExact PATH [NAME]",
//   "EnumRegistrySubKey PATH INDEX", "DeleteRegistryKey PATH",
//   "CloseRegistryKey PATH"
// PATH is the full path of the key asked for or acted on.

// Keys opened or created through the seam and not yet closed.
size_t OpenRegistryKeyCount();
// Closes of something that was not an open key (a root is fine).
size_t BadRegistryCloseCount();

}  // namespace platform::fake

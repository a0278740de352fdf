// Control of the fake system answers (system.h). After fake::Reset every
// version record is refused, the host is not 64-bit, not elevated, the
// host machine cannot be told, and the module path is
// C:\Setup\BrevikSetup.exe.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace platform::fake {

// Record `record` (VERSION_RECORD_*) is answered with `version`.
void SetVersion(int record, SystemVersion version);
// Record `record` is refused.
void RefuseVersion(int record);
// QueryWow64 returns `result` and, when WOW64_ANSWERED, reports `flag`.
void SetWow64(int result, int flag);
// The program's own path as the system holds it. The fake's ANSI code page
// is plain ASCII: a name with any byte of 0x80 or above (UTF-8 "Иван",
// "Łukasz") has no exact ANSI form, so GetModulePath refuses such a path and
// GetModuleName such a file name, while CopyModuleFile copies the file at
// this path itself.
void SetModulePath(const std::string& path);
void SetModulePathFails();
const std::string& ModulePath();
// QueryElevation answers `elevation` (ELEVATION_*).
void SetElevation(int elevation);
// QueryHostMachine answers `machine`; 0 (as after a reset): it cannot tell.
void SetHostMachine(uint16_t machine);

}  // namespace platform::fake

// Platform operations that describe the running system and the program in
// it: the system's version, whether the 32-bit process runs under a 64-bit
// host and the host's machine type, whether the process token is elevated,
// and the program's own path.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// The two version records, asked for in this order.
inline constexpr int VERSION_RECORD_EXTENDED = 1;  // 156 bytes, with the product type
inline constexpr int VERSION_RECORD_BASIC = 2;     // 148 bytes, without it

struct SystemVersion {
  uint32_t major;
  uint32_t minor;
  uint8_t productType;  // 0 from the basic record
};

// Asks the system for record `record`. 1 with `version` filled, 0 when the
// system refuses that record.
int QuerySystemVersion(int record, SystemVersion& version);

// Results of QueryWow64.
inline constexpr int WOW64_ANSWERED = 0;
inline constexpr int WOW64_NO_KERNEL32 = 1;   // "Kernel32.dll" not loaded
inline constexpr int WOW64_NO_FUNCTION = 2;   // "IsWow64Process" missing
inline constexpr int WOW64_NO_PROCESS = 3;    // no handle for the current process
inline constexpr int WOW64_CALL_FAILED = 4;

// Asks whether the current process runs under a 64-bit host. On
// WOW64_ANSWERED `isWow64` holds 1 or 0; otherwise it is left alone.
int QueryWow64(int& isWow64);

// Results of QueryElevation.
inline constexpr int ELEVATION_UNKNOWN = -1;  // the system cannot tell (before Vista)
inline constexpr int ELEVATION_NO = 0;
inline constexpr int ELEVATION_YES = 1;

// Whether the process token is elevated.
int QueryElevation();

// Host machine types of QueryHostMachine (IMAGE_FILE_MACHINE_* values).
inline constexpr uint16_t MACHINE_X86 = 0x014C;
inline constexpr uint16_t MACHINE_X64 = 0x8664;
inline constexpr uint16_t MACHINE_ARM = 0x01C4;
inline constexpr uint16_t MACHINE_ARM64 = 0xAA64;

// The machine type of the host system, which a 32-bit process under WoW64
// does not see otherwise (an ARM64 host looks like an x64 one). 1 with
// `machine` set; 0 where the system cannot tell (before Windows 10 1709).
int QueryHostMachine(uint16_t& machine);

// The full path of module `module`'s file (null: the program itself), in its
// long form, so that a program started by its short (8.3) name is named as
// when started by its long one. 1 with the path in `buffer`; 0, with an empty
// text, when it cannot be had, does not fit `capacity` characters including
// the zero, or has no exact form in the ANSI code page (a best-fit spelling
// names another file, and no spelling may name none).
int GetModulePath(ModuleHandle module, char* buffer, uint32_t capacity);

// The last component of the same long path (the file name alone), under the
// same rule: 1 with the name; 0 with an empty text when it cannot be had,
// does not fit or has no exact ANSI form. A path whose folders have no exact
// form may still have a file name that does.
int GetModuleName(ModuleHandle module, char* buffer, uint32_t capacity);

}  // namespace platform

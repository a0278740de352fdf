// Platform operations that describe the running system: its version, whether
// the 32-bit process runs under a 64-bit host, the present interfaces of a
// device interface class, and the program's own path.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/unique_handle.h"

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

// A device interface class identifier.
struct InterfaceClassId {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

void CloseDevice(void* device);

struct DeviceTraits {
  using Value = void*;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { CloseDevice(value); }
};
using UniqueDevice = UniqueHandle<DeviceTraits>;

// Results of OpenFirstDeviceInterface.
inline constexpr int DEVICE_NO_LIST = 0;       // the device list could not be had
inline constexpr int DEVICE_NO_INTERFACE = 1;  // the class has no present interface
inline constexpr int DEVICE_NO_DETAIL = 2;     // the first interface's path could not be had
inline constexpr int DEVICE_OPENED = 3;        // `device` holds the open device
inline constexpr int DEVICE_OPEN_FAILED = 4;   // the first interface's device refused the open

// Lists the present interfaces of `interfaceClass`, takes the first one's
// device path and opens it for reading and writing (others may read). Only
// DEVICE_OPENED leaves a handle in `device`.
int OpenFirstDeviceInterface(const InterfaceClassId& interfaceClass, UniqueDevice& device);

// The full path of module `module`'s file (null: the program itself). 1 with
// the path in `buffer`; 0, with an empty text, when it cannot be had or does
// not fit `capacity` characters including the zero.
int GetModulePath(ModuleHandle module, char* buffer, uint32_t capacity);

}  // namespace platform

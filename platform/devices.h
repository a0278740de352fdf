// Platform seam: devices. The present interfaces of a device interface
// class, and the first one's device opened.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// A device interface class identifier.
struct InterfaceClassId {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

void CloseDevice(void* device);

using UniqueDevice = UniqueHandle<NullableHandleTraits<void*, CloseDevice>>;

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

}  // namespace platform

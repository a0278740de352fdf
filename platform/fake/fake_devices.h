// Control of the fake device interfaces (devices.h). After fake::Reset there
// is no device interface.
#pragma once

#include "platform/devices.h"



namespace platform::fake {

// What a test sets; fake::Reset puts back these values.
struct DeviceKnobs {
  int outcome = DEVICE_NO_INTERFACE;  // what OpenFirstDeviceInterface returns (DEVICE_*)
};
extern DeviceKnobs deviceKnobs;
// Device handles opened and not yet closed.
int OpenDevices();

}  // namespace platform::fake

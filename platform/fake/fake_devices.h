// Control of the fake device interfaces (devices.h). After fake::Reset there
// is no device interface.
#pragma once



namespace platform::fake {

// OpenFirstDeviceInterface returns `outcome` (DEVICE_*).
void SetDeviceOutcome(int outcome);
// Device handles opened and not yet closed.
int OpenDevices();

}  // namespace platform::fake

// The fake of the device interfaces (devices.h): the outcome a test sets.
#include "platform/fake/fake_devices.h"

#include <cstdio>
#include <string>

#include "platform/devices.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"

namespace platform::fake {

DeviceKnobs deviceKnobs;

namespace {

constexpr char kSeam[] = "devices";

struct Device {
  int unused = 0;
};

struct DeviceState {
  int openDevices = 0;
};

DeviceState& TheDevices() {
  static DeviceState state;
  return state;
}

}  // namespace

void ResetDevices() {
  TheDevices() = DeviceState();
  deviceKnobs = DeviceKnobs{};
}

int OpenDevices() { return TheDevices().openDevices; }

}  // namespace platform::fake

namespace platform {

void CloseDevice(void* device) {
  fake::LogCall(fake::kSeam, "CloseDevice");
  --fake::TheDevices().openDevices;
  delete static_cast<fake::Device*>(device);
}

int OpenFirstDeviceInterface(const InterfaceClassId& interfaceClass, UniqueDevice& device) {
  device.Reset();
  char id[40];
  std::snprintf(id, sizeof id, "%08X-%04X-%04X", static_cast<unsigned>(interfaceClass.data1),
                static_cast<unsigned>(interfaceClass.data2),
                static_cast<unsigned>(interfaceClass.data3));
  fake::LogCall(fake::kSeam, std::string("OpenFirstDeviceInterface ") + id);
  if (fake::deviceKnobs.outcome == DEVICE_OPENED) {
    ++fake::TheDevices().openDevices;
    device.Reset(new fake::Device);
  }
  return fake::deviceKnobs.outcome;
}

}  // namespace platform

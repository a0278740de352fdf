// The stand-in tool's work on the machine: the restart marker, and the
// Mireline device registered with, and removed from, the device setup service.
#pragma once

#include <windows.h>

namespace payload {

// What an install or uninstall found and did, for the tool's own messages.
struct DeviceReport {
  int alreadyPresent = 0;   // install: a present interface existed, nothing was changed
  int removedDevices = 0;   // devices removed (by uninstall, or leftovers cleared by install)
  int unlinkedDevices = 0;  // uninstall before a restart: devices unlinked, as they could not be removed
  DWORD systemError = 0;    // GetLastError of the call that failed, 0 when none did
};

// 1 when the restart marker (tool_codes.h) holds a non-zero DWORD in the
// 32-bit registry view, else 0. A missing key or value, or a value of another
// type or size, reads as no restart pending.
int RestartPending();

// 1 when the driver interface class has a present interface in the sense of
// the setup program's probe (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, index 0),
// 0 when it has none, -1 when the device list cannot be had.
int DriverInterfacePresent();

// Makes the driver interface present. When one already is, changes nothing
// and sets `alreadyPresent`. Otherwise removes every leftover device of the
// interface class (unlinked interfaces from an interrupted run), then creates
// a root-enumerated media device with one interface under
// DEVICE_REFERENCE_STRING and marks that interface linked, so that the
// present-interface query lists it. A device created here is removed again if
// a later step fails. Returns TOOL_EXIT_OK or TOOL_EXIT_DEVICE_LIST_FAILED,
// TOOL_EXIT_DEVICE_REGISTER_FAILED, TOOL_EXIT_INTERFACE_FAILED,
// TOOL_EXIT_DEVICE_REMOVE_FAILED.
int InstallMirelineDevice(DeviceReport& report);

// What RemoveMirelineDevices does with a device the service will not remove.
inline constexpr int REMOVE_NOW_ONLY = 0;    // count it as a failure
inline constexpr int UNLINK_WHAT_STAYS = 1;  // unlink its interface instead (see below)

// Removes every device that exposes an interface of the driver's class,
// present or not. No such device is success. With UNLINK_WHAT_STAYS a device
// that cannot be removed has its interface unlinked, so that it no longer
// counts as installed and the next install or uninstall clears it as a
// leftover; it then counts as done. Returns TOOL_EXIT_OK,
// TOOL_EXIT_DEVICE_LIST_FAILED or TOOL_EXIT_DEVICE_REMOVE_FAILED.
int RemoveMirelineDevices(DeviceReport& report, int whenStuck);

}  // namespace payload

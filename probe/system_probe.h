// What the program learns about the machine before it acts: the
// operating-system class, the 64-bit host, its own path and whether the
// driver is installed.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/answers.h"
#include "platform/devices.h"

namespace probe {

// Operating-system classes (app::OsClass values).
inline constexpr app::OsClass OS_CLASS_UNKNOWN = -1;     // refused query, 6.3 and later
inline constexpr app::OsClass OS_CLASS_BEFORE_XP = 0;    // 5.0 and x.0 below it
inline constexpr app::OsClass OS_CLASS_XP = 1;           // 5.1, and other 5.x-or-older minors
inline constexpr app::OsClass OS_CLASS_SERVER_2003 = 2;  // 5.2: shown as unknown
inline constexpr app::OsClass OS_CLASS_VISTA = 3;        // 6.0, and 6.1 servers
inline constexpr app::OsClass OS_CLASS_WIN7 = 4;         // 6.1 workstation
inline constexpr app::OsClass OS_CLASS_WIN8 = 5;         // 6.2

// Product type of a workstation edition in the extended version record.
inline constexpr uint8_t PRODUCT_WORKSTATION = 1;

// The interface class under which the installed driver exposes its device:
// {BEEA29B0-BBA7-4A4B-9DF1-9D7B2C789C46}.
inline constexpr platform::InterfaceClassId DRIVER_INTERFACE_CLASS = {
    0xBEEA29B0, 0xBBA7, 0x4A4B, {0x9D, 0xF1, 0x9D, 0x7B, 0x2C, 0x78, 0x9C, 0x46}};

// The class of the running system: asks for the extended version record,
// then for the basic one (product type 0); -1 when both are refused.
app::OsClass GetOsClass();

// ANSWER_YES when the current 32-bit process runs under a 64-bit host;
// ANSWER_NO otherwise, also when the question cannot be asked or the call
// fails.
int IsWow64Host();

// Outcomes of OpenDriverInterface, mirroring the system's three handle kinds.
inline constexpr int DRIVER_INTERFACE_NONE = 0;      // null handle: no present interface
inline constexpr int DRIVER_INTERFACE_UNOPENED = 1;  // invalid handle: present, open refused
inline constexpr int DRIVER_INTERFACE_OPEN = 2;      // a device handle, held in `device`

struct DriverInterface {
  int outcome;
  platform::UniqueDevice device;  // holds a handle only for DRIVER_INTERFACE_OPEN
};

// Looks at the first present interface of `interfaceClass` only and tries to
// open its device. A class without a present interface, an unavailable
// device list and an interface whose path cannot be had all give
// DRIVER_INTERFACE_NONE.
DriverInterface OpenDriverInterface(platform::InterfaceClassId interfaceClass);

// Fills state.osClass, state.modulePath (empty when the path cannot be had or
// does not fit) and state.installed, in this order, and returns installed:
// ANSWER_YES whenever the driver's class has a present interface, whether or not its
// device opens. The device is closed at once. Requires state.instance.
int ProbeSystem(app::AppState& state);

}  // namespace probe

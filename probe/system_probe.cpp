// The system probe: version class, 64-bit host, own path, installed driver.
#include "probe/system_probe.h"

#include "platform/answers.h"
#include "platform/system.h"

namespace probe {

namespace {

// The class table, first matching row wins; versions compare unsigned.
app::OsClass ClassifyVersion(uint32_t major, uint32_t minor, uint8_t productType) {
  if (major <= 5) {
    if (minor == 0) {
      return OS_CLASS_BEFORE_XP;
    }
    if (minor == 2) {
      return OS_CLASS_SERVER_2003;
    }
    return OS_CLASS_XP;
  }
  if (major == 6) {
    if (minor == 0) {
      return OS_CLASS_VISTA;
    }
    if (minor == 1) {
      return productType == PRODUCT_WORKSTATION ? OS_CLASS_WIN7 : OS_CLASS_VISTA;
    }
    if (minor == 2) {
      return OS_CLASS_WIN8;
    }
  }
  return OS_CLASS_UNKNOWN;
}

}  // namespace

app::OsClass GetOsClass() {
  platform::SystemVersion version{};
  if (platform::QuerySystemVersion(platform::VERSION_RECORD_EXTENDED, version) != platform::ANSWER_YES) {
    version = platform::SystemVersion{};
    if (platform::QuerySystemVersion(platform::VERSION_RECORD_BASIC, version) != platform::ANSWER_YES) {
      return OS_CLASS_UNKNOWN;
    }
    version.productType = 0;
  }
  return ClassifyVersion(version.major, version.minor, version.productType);
}

int IsWow64Host() {
  int isWow64 = 0;
  if (platform::QueryWow64(isWow64) != platform::WOW64_ANSWERED) {
    return platform::ANSWER_NO;
  }
  // The system's flag is any non-zero value for yes.
  return isWow64 != 0 ? platform::ANSWER_YES : platform::ANSWER_NO;
}

DriverInterface OpenDriverInterface(platform::InterfaceClassId interfaceClass) {
  DriverInterface result{DRIVER_INTERFACE_NONE, platform::UniqueDevice()};
  switch (platform::OpenFirstDeviceInterface(interfaceClass, result.device)) {
    case platform::DEVICE_OPENED:
      result.outcome = DRIVER_INTERFACE_OPEN;
      break;
    case platform::DEVICE_OPEN_FAILED:
      result.outcome = DRIVER_INTERFACE_UNOPENED;
      break;
    default:
      // No list, no interface, or a path that could not be had (the detail
      // record could not be allocated): nothing was found.
      result.device.Reset();
      break;
  }
  return result;
}

int ProbeSystem(app::AppState& state) {
  state.osClass = GetOsClass();
  if (platform::GetModulePath(state.instance, state.modulePath, app::MODULE_PATH_SIZE) !=
      platform::ANSWER_YES) {
    state.modulePath[0] = '\0';
  }
  state.installed = platform::ANSWER_NO;
  DriverInterface driver = OpenDriverInterface(DRIVER_INTERFACE_CLASS);
  if (driver.outcome != DRIVER_INTERFACE_NONE) {
    driver.device.Reset();  // never kept: only its presence matters
    state.installed = platform::ANSWER_YES;
  }
  return state.installed;
}

}  // namespace probe

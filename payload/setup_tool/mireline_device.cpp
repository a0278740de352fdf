// Restart marker and Mireline device registration through the device setup
// service (setupapi), for the stand-in driver-setup tool.
#include "payload/setup_tool/mireline_device.h"

#include <setupapi.h>

#include <vector>

#include "payload/setup_tool/tool_codes.h"

namespace payload {
namespace {

// {4d36e96c-e325-11ce-bfc1-08002be10318}: the media setup class (sound,
// video and game controllers), where audio drivers' devices live.
const GUID MEDIA_SETUP_CLASS = {0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
// {BEEA29B0-BBA7-4A4B-9DF1-9D7B2C789C46}: the driver's device interface class,
// the one the setup program probes.
const GUID DRIVER_INTERFACE_CLASS = {0xbeea29b0, 0xbba7, 0x4a4b, {0x9d, 0xf1, 0x9d, 0x7b, 0x2c, 0x78, 0x9c, 0x46}};

// Device class name from which DICD_GENERATE_ID makes "ROOT\MEDIA\nnnn".
constexpr const char* GENERATED_DEVICE_NAME = "MEDIA";
constexpr const char* INTERFACE_INSTANCE_VALUE = "DeviceInstance";
constexpr const char* LINKED_VALUE = "Linked";
constexpr DWORD MAX_INSTANCE_ID = 200;  // MAX_DEVICE_ID_LEN, zero byte included
constexpr DWORD MAX_KEY_NAME = 256;     // longest registry key name, zero byte included

// A device information set, destroyed with the owner.
struct DeviceList {
  HDEVINFO handle;
  explicit DeviceList(HDEVINFO h) : handle(h) {}
  ~DeviceList() {
    if (Valid()) SetupDiDestroyDeviceInfoList(handle);
  }
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
  bool Valid() const { return handle != INVALID_HANDLE_VALUE; }
};

// An open registry key, closed with the owner.
struct RegKey {
  HKEY handle = nullptr;
  RegKey() = default;
  explicit RegKey(HKEY h) : handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~RegKey() {
    if (handle != nullptr) RegCloseKey(handle);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
};

// Removes a device this run registered, keeping the error of the step that
// failed for the report.
void UndoRegistration(HDEVINFO list, SP_DEVINFO_DATA& device, DeviceReport& report) {
  report.systemError = GetLastError();
  SetupDiRemoveDevice(list, &device);
}

// Sets the properties that name the device in device listings.
int DescribeDevice(HDEVINFO list, SP_DEVINFO_DATA& device) {
  auto setText = [&](DWORD property, const char* text, DWORD size) {
    return SetupDiSetDeviceRegistryPropertyA(list, &device, property, reinterpret_cast<const BYTE*>(text), size);
  };
  return setText(SPDRP_HARDWAREID, DEVICE_HARDWARE_ID, sizeof DEVICE_HARDWARE_ID) &&
         setText(SPDRP_MFG, DEVICE_MANUFACTURER, lstrlenA(DEVICE_MANUFACTURER) + 1) &&
         setText(SPDRP_FRIENDLYNAME, DEVICE_DESCRIPTION, lstrlenA(DEVICE_DESCRIPTION) + 1);
}

// Sets DWORD "Linked" in the "Control" sub-key of the device's
// reference-string key: 1 links the interface, 0 unlinks it. Wine's device
// setup service lists an interface under DIGCF_PRESENT only when the value is
// 1 (on Windows the driver's IoSetDeviceInterfaceState sets it); nothing in
// the service's own calls sets it, so it is written here through the
// interface class key, whose sub-keys name each interface's device instance.
int SetInterfaceLinked(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD linked) {
  char instanceId[MAX_INSTANCE_ID];
  if (!SetupDiGetDeviceInstanceIdA(list, &device, instanceId, sizeof instanceId, nullptr)) return 0;

  RegKey classKey(SetupDiOpenClassRegKeyExA(&DRIVER_INTERFACE_CLASS, KEY_ALL_ACCESS, DIOCR_INTERFACE, nullptr, nullptr));
  if (classKey.handle == nullptr) return 0;

  char controlPath[MAX_KEY_NAME];
  wsprintfA(controlPath, "#%s\\Control", DEVICE_REFERENCE_STRING);
  for (DWORD index = 0;; ++index) {
    char name[MAX_KEY_NAME];
    DWORD nameLength = sizeof name;
    const LONG status = RegEnumKeyExA(classKey.handle, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;  // a name too long is not one of ours

    RegKey interfaceKey;
    if (RegOpenKeyExA(classKey.handle, name, 0, KEY_READ | KEY_CREATE_SUB_KEY, &interfaceKey.handle) != ERROR_SUCCESS) continue;
    char owner[MAX_INSTANCE_ID];
    DWORD type = 0;
    DWORD ownerSize = sizeof owner - 1;
    if (RegQueryValueExA(interfaceKey.handle, INTERFACE_INSTANCE_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(owner),
                         &ownerSize) != ERROR_SUCCESS ||
        type != REG_SZ) {
      continue;
    }
    owner[ownerSize] = '\0';  // a stored text need not end in a zero byte
    if (lstrcmpiA(owner, instanceId) != 0) continue;

    RegKey controlKey;
    if (RegCreateKeyExA(interfaceKey.handle, controlPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &controlKey.handle, nullptr) != ERROR_SUCCESS) {
      return 0;
    }
    return RegSetValueExA(controlKey.handle, LINKED_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&linked),
                          sizeof linked) == ERROR_SUCCESS;
  }
  SetLastError(ERROR_NOT_FOUND);
  return 0;
}

}  // namespace

int RestartPending() {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RESTART_MARKER_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key.handle) !=
      ERROR_SUCCESS) {
    return 0;
  }
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key.handle, RESTART_MARKER_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
      ERROR_SUCCESS) {
    return 0;
  }
  return type == REG_DWORD && size == sizeof value && value != 0;
}

int DriverInterfacePresent() {
  DeviceList list(SetupDiGetClassDevsA(&DRIVER_INTERFACE_CLASS, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!list.Valid()) return -1;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  return SetupDiEnumDeviceInterfaces(list.handle, nullptr, &DRIVER_INTERFACE_CLASS, 0, &data) ? 1 : 0;
}

int InstallMirelineDevice(DeviceReport& report) {
  const int present = DriverInterfacePresent();
  if (present < 0) {
    report.systemError = GetLastError();
    return TOOL_EXIT_DEVICE_LIST_FAILED;
  }
  if (present == 1) {
    report.alreadyPresent = 1;
    return TOOL_EXIT_OK;
  }
  // Unlinked leftovers would make a second device once this one is linked.
  const int cleared = RemoveMirelineDevices(report, REMOVE_NOW_ONLY);
  if (cleared != TOOL_EXIT_OK) return cleared;

  DeviceList list(SetupDiCreateDeviceInfoList(&MEDIA_SETUP_CLASS, nullptr));
  if (!list.Valid()) {
    report.systemError = GetLastError();
    return TOOL_EXIT_DEVICE_LIST_FAILED;
  }
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  if (!SetupDiCreateDeviceInfoA(list.handle, GENERATED_DEVICE_NAME, &MEDIA_SETUP_CLASS, DEVICE_DESCRIPTION, nullptr,
                                DICD_GENERATE_ID, &device)) {
    report.systemError = GetLastError();
    return TOOL_EXIT_DEVICE_REGISTER_FAILED;
  }
  if (!SetupDiRegisterDeviceInfo(list.handle, &device, 0, nullptr, nullptr, nullptr)) {
    report.systemError = GetLastError();
    return TOOL_EXIT_DEVICE_REGISTER_FAILED;
  }
  // From here on the device exists in the registry: a failure removes it.
  if (!DescribeDevice(list.handle, device)) {
    UndoRegistration(list.handle, device, report);
    return TOOL_EXIT_DEVICE_REGISTER_FAILED;
  }
  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof interfaceData;
  if (!SetupDiCreateDeviceInterfaceA(list.handle, &device, &DRIVER_INTERFACE_CLASS, DEVICE_REFERENCE_STRING, 0,
                                     &interfaceData) ||
      !SetInterfaceLinked(list.handle, device, 1)) {
    UndoRegistration(list.handle, device, report);
    return TOOL_EXIT_INTERFACE_FAILED;
  }
  // Confirm the result the way the setup program will look for it.
  if (DriverInterfacePresent() != 1) {
    SetLastError(ERROR_NOT_FOUND);
    UndoRegistration(list.handle, device, report);
    return TOOL_EXIT_INTERFACE_FAILED;
  }
  return TOOL_EXIT_OK;
}

int RemoveMirelineDevices(DeviceReport& report, int whenStuck) {
  // Without DIGCF_PRESENT, so that unlinked interfaces' devices go as well.
  DeviceList list(SetupDiGetClassDevsA(&DRIVER_INTERFACE_CLASS, nullptr, nullptr, DIGCF_DEVICEINTERFACE));
  if (!list.Valid()) {
    report.systemError = GetLastError();
    return TOOL_EXIT_DEVICE_LIST_FAILED;
  }
  // Collected first: removal while walking the set by index could skip one.
  std::vector<SP_DEVINFO_DATA> devices;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiEnumDeviceInfo(list.handle, index, &device)) {
      if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
      report.systemError = GetLastError();
      return TOOL_EXIT_DEVICE_LIST_FAILED;
    }
    devices.push_back(device);
  }
  int result = TOOL_EXIT_OK;
  for (SP_DEVINFO_DATA& device : devices) {
    if (SetupDiRemoveDevice(list.handle, &device)) {
      ++report.removedDevices;
      continue;
    }
    report.systemError = GetLastError();
    if (whenStuck == UNLINK_WHAT_STAYS && SetInterfaceLinked(list.handle, device, 0)) {
      ++report.unlinkedDevices;
      continue;
    }
    result = TOOL_EXIT_DEVICE_REMOVE_FAILED;
  }
  return result;
}

}  // namespace payload

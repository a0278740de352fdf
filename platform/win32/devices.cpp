// Device interfaces through the setup service, and the first one's device
// opened, through Win32.
#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <memory>
#include <new>

#include "platform/devices.h"
#include "platform/win32/win32_handles.h"

namespace platform {

namespace {

// The record sizes the system checks. The device records hold a
// pointer-sized word and follow the setup service's packing (1 byte in
// 32-bit code, 8 in 64-bit code), so the 64-bit test build has sizes of its
// own.
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVICE_INTERFACE_DATA) == 28);
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5);
static_assert(sizeof(void*) != 8 || sizeof(SP_DEVICE_INTERFACE_DATA) == 32);
static_assert(sizeof(void*) != 8 || sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8);

// Device paths are opened with the attribute flag the driver expects.
constexpr DWORD DEVICE_OPEN_FLAGS = FILE_ATTRIBUTE_COMPRESSED;

GUID ToGuid(const InterfaceClassId& id) {
  GUID guid;
  guid.Data1 = id.data1;
  guid.Data2 = id.data2;
  guid.Data3 = id.data3;
  std::memcpy(guid.Data4, id.data4, sizeof guid.Data4);
  return guid;
}

}  // namespace

void CloseDevice(void* device) { win32::FileHandleTraits::Close(static_cast<HANDLE>(device)); }

int OpenFirstDeviceInterface(const InterfaceClassId& interfaceClass, UniqueDevice& device) {
  device.Reset();
  const GUID guid = ToGuid(interfaceClass);
  win32::UniqueDeviceList list(
      SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!list.IsValid()) {
    return DEVICE_NO_LIST;
  }
  SP_DEVICE_INTERFACE_DATA interfaceData;
  std::memset(&interfaceData, 0, sizeof interfaceData);
  interfaceData.cbSize = sizeof interfaceData;
  if (!SetupDiEnumDeviceInterfaces(list.Get(), nullptr, &guid, 0, &interfaceData)) {
    return DEVICE_NO_INTERFACE;
  }
  // The first call only learns the size; its failure is expected.
  DWORD required = 0;
  SetupDiGetDeviceInterfaceDetailA(list.Get(), &interfaceData, nullptr, 0, &required, nullptr);
  if (required <= sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
    return DEVICE_NO_DETAIL;
  }
  std::unique_ptr<char[]> record(new (std::nothrow) char[required]());
  if (record == nullptr) {
    return DEVICE_NO_DETAIL;
  }
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(record.get());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  // Not tested: a record left unfilled holds an empty path, which the open
  // below refuses.
  SetupDiGetDeviceInterfaceDetailA(list.Get(), &interfaceData, detail, required, nullptr, nullptr);
  record[required - 1] = '\0';
  HANDLE opened = CreateFileA(detail->DevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, DEVICE_OPEN_FLAGS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    return DEVICE_OPEN_FAILED;
  }
  device.Reset(opened);
  return DEVICE_OPENED;
}

}  // namespace platform

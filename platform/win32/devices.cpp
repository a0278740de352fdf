// Device interfaces through the setup service, and the first one's device
// opened, through Win32. The setup service's library is no known DLL on the
// oldest systems the program supports, so it is not imported (the loader
// would look for it beside the program first) but loaded from the system
// folder when asked for.
#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <memory>
#include <new>

#include "platform/devices.h"
#include "platform/win32/system_library.h"
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

using GetClassDevsFunction = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
using EnumInterfacesFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                             PSP_DEVICE_INTERFACE_DATA);
using InterfaceDetailFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                              PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD, PSP_DEVINFO_DATA);
using DestroyListFunction = BOOL(WINAPI*)(HDEVINFO);

// The setup service's functions the probe calls, from its library loaded
// out of the system folder; the library is freed last.
struct SetupService {
  win32::UniqueLibrary library;
  GetClassDevsFunction getClassDevs;
  EnumInterfacesFunction enumInterfaces;
  InterfaceDetailFunction interfaceDetail;
  DestroyListFunction destroyList;
};

bool LoadSetupService(SetupService& service) {
  service.library = win32::LoadSystemLibrary("SETUPAPI.DLL");
  if (!service.library.IsValid()) return false;
  const HMODULE library = service.library.Get();
  service.getClassDevs =
      win32::FunctionCast<GetClassDevsFunction>(GetProcAddress(library, "SetupDiGetClassDevsA"));
  service.enumInterfaces =
      win32::FunctionCast<EnumInterfacesFunction>(GetProcAddress(library, "SetupDiEnumDeviceInterfaces"));
  service.interfaceDetail =
      win32::FunctionCast<InterfaceDetailFunction>(GetProcAddress(library, "SetupDiGetDeviceInterfaceDetailA"));
  service.destroyList =
      win32::FunctionCast<DestroyListFunction>(GetProcAddress(library, "SetupDiDestroyDeviceInfoList"));
  return service.getClassDevs != nullptr && service.enumInterfaces != nullptr &&
         service.interfaceDetail != nullptr && service.destroyList != nullptr;
}

// A device list, destroyed by the function of the library that made it.
struct DeviceList {
  HDEVINFO list;
  DestroyListFunction destroy;
  DeviceList(HDEVINFO made, DestroyListFunction destroyList) : list(made), destroy(destroyList) {}
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
  ~DeviceList() {
    if (list != INVALID_HANDLE_VALUE) {
      win32::KeepingLastError([this] { destroy(list); });
    }
  }
};

}  // namespace

void CloseDevice(void* device) { win32::FileHandleTraits::Close(static_cast<HANDLE>(device)); }

int OpenFirstDeviceInterface(const InterfaceClassId& interfaceClass, UniqueDevice& device) {
  device.Reset();
  const GUID guid = ToGuid(interfaceClass);
  // Declared first, freed last: the list is destroyed through it.
  SetupService service{};
  if (!LoadSetupService(service)) {
    return DEVICE_NO_LIST;
  }
  const DeviceList list(service.getClassDevs(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE),
                        service.destroyList);
  if (list.list == INVALID_HANDLE_VALUE) {
    return DEVICE_NO_LIST;
  }
  SP_DEVICE_INTERFACE_DATA interfaceData;
  std::memset(&interfaceData, 0, sizeof interfaceData);
  interfaceData.cbSize = sizeof interfaceData;
  if (!service.enumInterfaces(list.list, nullptr, &guid, 0, &interfaceData)) {
    return DEVICE_NO_INTERFACE;
  }
  // The first call only learns the size; its failure is expected.
  DWORD required = 0;
  service.interfaceDetail(list.list, &interfaceData, nullptr, 0, &required, nullptr);
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
  service.interfaceDetail(list.list, &interfaceData, detail, required, nullptr, nullptr);
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

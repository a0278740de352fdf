// Finding the driver's device interface: none in a fresh prefix, and one
// registered by the test itself, whose device refuses the open.
#include "probe/system_probe.h"

#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// An interface class of this test's own, so that its devices disturb nobody.
constexpr platform::InterfaceClassId TEST_CLASS = {
    0x6B2E54C1, 0x3F0A, 0x4D8E, {0x8A, 0x51, 0x27, 0xC4, 0x90, 0x1D, 0x6E, 0x33}};

// The media device setup class, under which the test device is created.
const GUID MEDIA_SETUP_CLASS = {
    0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

GUID ToGuid(const platform::InterfaceClassId& id) {
  GUID guid{id.data1, id.data2, id.data3, {}};
  std::memcpy(guid.Data4, id.data4, sizeof guid.Data4);
  return guid;
}

// A root-enumerated device with one interface of `interfaceClass`, linked so
// that the system lists it as present; removed again when the object goes.
class RegisteredDevice {
 public:
  explicit RegisteredDevice(const platform::InterfaceClassId& interfaceClass)
      : list_(SetupDiCreateDeviceInfoList(&MEDIA_SETUP_CLASS, nullptr)) {
    device_.cbSize = sizeof device_;
    const GUID guid = ToGuid(interfaceClass);
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    created_ = list_ != INVALID_HANDLE_VALUE &&
               SetupDiCreateDeviceInfoA(list_, "KVPROBETEST", &MEDIA_SETUP_CLASS, nullptr,
                                        nullptr, DICD_GENERATE_ID, &device_) &&
               SetupDiRegisterDeviceInfo(list_, &device_, 0, nullptr, nullptr, nullptr);
    registered_ = created_ && SetupDiCreateDeviceInterfaceA(list_, &device_, &guid, nullptr, 0,
                                                            &interfaceData) &&
                  Link(guid);
  }
  ~RegisteredDevice() {
    if (created_) {
      SetupDiRemoveDevice(list_, &device_);
    }
    if (list_ != INVALID_HANDLE_VALUE) {
      SetupDiDestroyDeviceInfoList(list_);
    }
  }
  RegisteredDevice(const RegisteredDevice&) = delete;
  RegisteredDevice& operator=(const RegisteredDevice&) = delete;

  bool Registered() const { return registered_; }

 private:
  // Wine lists an interface as present only when its key's Control sub-key
  // holds Linked = 1, which the driver's installation would set.
  static bool Link(const GUID& guid) {
    HKEY classKey = SetupDiOpenClassRegKeyExA(&guid, KEY_ALL_ACCESS, DIOCR_INTERFACE, nullptr,
                                              nullptr);
    if (classKey == INVALID_HANDLE_VALUE) {
      return false;
    }
    bool linked = false;
    char name[512];
    DWORD length = sizeof name;
    for (DWORD index = 0;
         RegEnumKeyExA(classKey, index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         ++index, length = sizeof name) {
      const std::string control = std::string(name) + "\\#\\Control";
      HKEY key = nullptr;
      if (RegCreateKeyExA(classKey, control.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        const DWORD one = 1;
        linked = RegSetValueExA(key, "Linked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                sizeof one) == ERROR_SUCCESS;
        RegCloseKey(key);
      }
    }
    RegCloseKey(classKey);
    return linked;
  }

  HDEVINFO list_;
  SP_DEVINFO_DATA device_{};
  bool created_ = false;
  bool registered_ = false;
};

std::unique_ptr<app::AppState> NewState() {
  auto state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  state->instance = GetModuleHandleA(nullptr);
  return state;
}

TEST(DeviceInterfaceWin32Test, FreshPrefixHasNoDriverInterface) {
  probe::DriverInterface driver = probe::OpenDriverInterface(probe::DRIVER_INTERFACE_CLASS);
  EXPECT_EQ(driver.outcome, probe::DRIVER_INTERFACE_NONE);
  EXPECT_FALSE(driver.device.IsValid());
  auto state = NewState();
  state->installed = 1;
  EXPECT_EQ(probe::ProbeSystem(*state), 0);
  EXPECT_EQ(state->installed, 0);
}

TEST(DeviceInterfaceWin32Test, RegisteredInterfaceIsFoundThoughItsDeviceRefusesTheOpen) {
  {
    RegisteredDevice device(TEST_CLASS);
    ASSERT_TRUE(device.Registered());
    probe::DriverInterface driver = probe::OpenDriverInterface(TEST_CLASS);
    EXPECT_EQ(driver.outcome, probe::DRIVER_INTERFACE_UNOPENED);
    EXPECT_FALSE(driver.device.IsValid());
    // Another class sees nothing of it.
    EXPECT_EQ(probe::OpenDriverInterface(probe::DRIVER_INTERFACE_CLASS).outcome,
              probe::DRIVER_INTERFACE_NONE);
  }
  EXPECT_EQ(probe::OpenDriverInterface(TEST_CLASS).outcome, probe::DRIVER_INTERFACE_NONE);
}

TEST(DeviceInterfaceWin32Test, ProbeReportsInstalledForAPresentDriverInterface) {
  auto state = NewState();
  {
    RegisteredDevice device(probe::DRIVER_INTERFACE_CLASS);
    ASSERT_TRUE(device.Registered());
    EXPECT_EQ(probe::ProbeSystem(*state), 1);
    EXPECT_EQ(state->installed, 1);
  }
  EXPECT_EQ(probe::ProbeSystem(*state), 0);
}

}  // namespace

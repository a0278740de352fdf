// The system probe: the class table, the 64-bit host question, and the
// installed flag with its handle kinds.
#include "probe/system_probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

class SystemProbeTest : public ::testing::Test {};

struct VersionRow {
  uint32_t major;
  uint32_t minor;
  uint8_t productType;
  app::OsClass expected;
};

TEST_F(SystemProbeTest, ClassTableRowByRow) {
  const VersionRow rows[] = {
      {5, 0, 1, probe::OS_CLASS_BEFORE_XP},
      {4, 0, 1, probe::OS_CLASS_BEFORE_XP},
      {5, 2, 1, probe::OS_CLASS_SERVER_2003},
      {3, 2, 3, probe::OS_CLASS_SERVER_2003},
      {5, 1, 1, probe::OS_CLASS_XP},
      {4, 10, 1, probe::OS_CLASS_XP},
      {4, 90, 0, probe::OS_CLASS_XP},
      {5, 0xFFFFFFFFu, 1, probe::OS_CLASS_XP},
      {6, 0, 1, probe::OS_CLASS_VISTA},
      {6, 0, 3, probe::OS_CLASS_VISTA},
      {6, 1, 1, probe::OS_CLASS_WIN7},
      {6, 1, 2, probe::OS_CLASS_VISTA},
      {6, 1, 3, probe::OS_CLASS_VISTA},
      {6, 1, 0, probe::OS_CLASS_VISTA},
      {6, 2, 1, probe::OS_CLASS_WIN8},
      {6, 2, 3, probe::OS_CLASS_WIN8},
      {6, 3, 1, probe::OS_CLASS_UNKNOWN},
      {6, 0xFFFFFFFFu, 1, probe::OS_CLASS_UNKNOWN},
      {7, 0, 1, probe::OS_CLASS_UNKNOWN},
      {10, 0, 1, probe::OS_CLASS_UNKNOWN},
      {0xFFFFFFFFu, 1, 1, probe::OS_CLASS_UNKNOWN},
  };
  for (const VersionRow& row : rows) {
    platform::fake::SetVersion(platform::VERSION_RECORD_EXTENDED,
                               {row.major, row.minor, row.productType});
    EXPECT_EQ(probe::GetOsClass(), row.expected)
        << row.major << "." << row.minor << " type " << int(row.productType);
  }
  EXPECT_EQ(platform::fake::CallsOf("QuerySystemVersion"), Calls(std::size(rows), "1"));
}

TEST_F(SystemProbeTest, BasicRecordIsClassifiedWithoutProductType) {
  platform::fake::SetVersion(platform::VERSION_RECORD_BASIC, {6, 1, 1});
  EXPECT_EQ(probe::GetOsClass(), probe::OS_CLASS_VISTA);
  EXPECT_EQ(platform::fake::CallsOf("QuerySystemVersion"), (Calls{"1", "2"}));

  platform::fake::SetVersion(platform::VERSION_RECORD_BASIC, {5, 1, 0});
  EXPECT_EQ(probe::GetOsClass(), probe::OS_CLASS_XP);
}

TEST_F(SystemProbeTest, BothRecordsRefusedGiveUnknown) {
  EXPECT_EQ(probe::GetOsClass(), probe::OS_CLASS_UNKNOWN);
  EXPECT_EQ(platform::fake::CallsOf("QuerySystemVersion"), (Calls{"1", "2"}));
}

TEST_F(SystemProbeTest, Wow64FlagOnlyWhenTheQuestionWasAnswered) {
  platform::fake::SetWow64(platform::WOW64_ANSWERED, 1);
  EXPECT_EQ(probe::IsWow64Host(), 1);
  platform::fake::SetWow64(platform::WOW64_ANSWERED, 0);
  EXPECT_EQ(probe::IsWow64Host(), 0);
  for (int failure : {platform::WOW64_NO_KERNEL32, platform::WOW64_NO_FUNCTION,
                      platform::WOW64_NO_PROCESS, platform::WOW64_CALL_FAILED}) {
    platform::fake::SetWow64(failure, 1);
    EXPECT_EQ(probe::IsWow64Host(), 0) << failure;
  }
}

TEST_F(SystemProbeTest, DriverInterfaceOutcomesMirrorTheHandleKinds) {
  struct Row {
    int platformOutcome;
    int expected;
  };
  const Row rows[] = {
      {platform::DEVICE_NO_LIST, probe::DRIVER_INTERFACE_NONE},
      {platform::DEVICE_NO_INTERFACE, probe::DRIVER_INTERFACE_NONE},
      {platform::DEVICE_NO_DETAIL, probe::DRIVER_INTERFACE_NONE},
      {platform::DEVICE_OPEN_FAILED, probe::DRIVER_INTERFACE_UNOPENED},
      {platform::DEVICE_OPENED, probe::DRIVER_INTERFACE_OPEN},
  };
  for (const Row& row : rows) {
    platform::fake::deviceKnobs.outcome = row.platformOutcome;
    probe::DriverInterface driver = probe::OpenDriverInterface(probe::DRIVER_INTERFACE_CLASS);
    EXPECT_EQ(driver.outcome, row.expected) << row.platformOutcome;
    EXPECT_EQ(driver.device.IsValid(), row.expected == probe::DRIVER_INTERFACE_OPEN);
  }
  EXPECT_EQ(platform::fake::OpenDevices(), 0);
  EXPECT_EQ(platform::fake::CallsOf("OpenFirstDeviceInterface").at(0), "BEEA29B0-BBA7-4A4B");
}

class ProbeSystemTest : public SystemProbeTest {
 protected:
  void SetUp() override {
    SystemProbeTest::SetUp();
    app::ClearAppState(*state);
    state->instance = &instanceMarker;
    state->installed = 7;
    state->osClass = 9;
  }

  int instanceMarker = 0;
  std::unique_ptr<app::AppState> state = std::make_unique<app::AppState>();
};

TEST_F(ProbeSystemTest, FillsClassPathAndInstalledInOrder) {
  platform::fake::SetVersion(platform::VERSION_RECORD_EXTENDED, {6, 1, 1});
  platform::fake::SetModulePath("C:\\Downloads\\BrevikSetup.exe");
  EXPECT_EQ(probe::ProbeSystem(*state), 0);

  EXPECT_EQ(state->osClass, probe::OS_CLASS_WIN7);
  EXPECT_STREQ(state->modulePath, "C:\\Downloads\\BrevikSetup.exe");
  EXPECT_EQ(state->installed, 0);
  EXPECT_EQ(platform::fake::Calls(),
            (Calls{"QuerySystemVersion 1", "GetModulePath 1024",
                   "OpenFirstDeviceInterface BEEA29B0-BBA7-4A4B"}));
}

TEST_F(ProbeSystemTest, InstalledWhenAnInterfaceIsPresentWhetherOrNotItOpens) {
  platform::fake::deviceKnobs.outcome = platform::DEVICE_OPEN_FAILED;
  EXPECT_EQ(probe::ProbeSystem(*state), 1);
  EXPECT_EQ(state->installed, 1);

  platform::fake::deviceKnobs.outcome = platform::DEVICE_OPENED;
  platform::fake::ClearCalls();
  EXPECT_EQ(probe::ProbeSystem(*state), 1);
  EXPECT_EQ(state->installed, 1);
  // The device is closed at once, before the probe returns.
  EXPECT_EQ(platform::fake::OpenDevices(), 0);
  EXPECT_EQ(platform::fake::Calls().back(), "CloseDevice");
}

TEST_F(ProbeSystemTest, NotInstalledWithoutList) {
  platform::fake::deviceKnobs.outcome = platform::DEVICE_NO_LIST;
  EXPECT_EQ(probe::ProbeSystem(*state), 0);
  EXPECT_EQ(state->installed, 0);
}

TEST_F(ProbeSystemTest, ModulePathThatCannotBeHadIsEmpty) {
  std::strcpy(state->modulePath, "stale");
  platform::fake::SetModulePathFails();
  probe::ProbeSystem(*state);
  EXPECT_STREQ(state->modulePath, "");
}

}  // namespace

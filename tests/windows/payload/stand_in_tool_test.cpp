// The stand-in driver-setup tool run as a process, with the command lines
// the setup program uses, and judged by the setup program's own probe: its
// exit codes, the device it leaves, the restart marker and its output.
#include <gtest/gtest.h>

#include "tests/windows/payload/payload_test_support.h"

namespace payload_test {
namespace {

constexpr const char* INSTALL_LINE = "-h -i -H -n";
constexpr const char* UNINSTALL_LINE = "-h -u -H";

// Every test starts without a Mireline device or restart marker and leaves
// none behind, whatever it did in between.
class StandInToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearMarkers();
    if (CountAllDevices() != 0) RunAsSetupProgram(HostToolPath(), UNINSTALL_LINE);
    ASSERT_EQ(CountAllDevices(), 0) << "a Mireline device is left from an earlier run";
  }
  void TearDown() override {
    ClearMarkers();
    RunAsSetupProgram(HostToolPath(), UNINSTALL_LINE);
    EXPECT_EQ(CountAllDevices(), 0);
  }
  static void ClearMarkers() {
    ClearRestartMarker(KEY_WOW64_32KEY);
    ClearRestartMarker(KEY_WOW64_64KEY);
  }
  static DWORD Tool(const std::string& tool, const char* line) {
    const RunResult run = RunAsSetupProgram(tool, line);
    EXPECT_TRUE(run.started) << tool;
    return run.exitCode;
  }
};

TEST_F(StandInToolTest, InstallMakesTheInterfacePresentAsTheProbeSeesIt) {
  ASSERT_EQ(ProbeFirstPresentInterface(), 0);
  EXPECT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  EXPECT_EQ(CountPresentInterfaces(), 1);
  EXPECT_EQ(CountAllDevices(), 1);
  // Present, but its device path cannot be opened: the case the setup
  // program counts as installed.
  EXPECT_EQ(ProbeFirstPresentInterface(), 1);
}

TEST_F(StandInToolTest, InstallTwiceLeavesOneDevice) {
  EXPECT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  EXPECT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 1);
  EXPECT_EQ(CountPresentInterfaces(), 1);
}

TEST_F(StandInToolTest, UninstallRemovesTheDeviceAndRepeatsHarmlessly) {
  ASSERT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  EXPECT_EQ(Tool(HostToolPath(), UNINSTALL_LINE), 0u);
  EXPECT_EQ(ProbeFirstPresentInterface(), 0);
  EXPECT_EQ(CountInterfaces(0), 0);
  EXPECT_EQ(CountAllDevices(), 0);
  EXPECT_EQ(Tool(HostToolPath(), UNINSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 0);
}

TEST_F(StandInToolTest, UnlinkedLeftoversAreClearedByInstallAndUninstall) {
  ASSERT_EQ(CreateUnlinkedLeftoverDevice(), 1);
  ASSERT_EQ(CountPresentInterfaces(), 0);
  ASSERT_EQ(CountAllDevices(), 1);
  EXPECT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 1) << "the leftover must be replaced, not joined";
  EXPECT_EQ(CountPresentInterfaces(), 1);

  EXPECT_EQ(Tool(HostToolPath(), UNINSTALL_LINE), 0u);
  ASSERT_EQ(CreateUnlinkedLeftoverDevice(), 1);
  EXPECT_EQ(Tool(HostToolPath(), UNINSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 0);
}

TEST_F(StandInToolTest, RestartMarkerStopsInstallButUninstallStillRemoves) {
  ASSERT_EQ(SetRestartMarker(1, KEY_WOW64_32KEY), 1);
  EXPECT_EQ(Tool(HostToolPath(), INSTALL_LINE), 1u);
  EXPECT_EQ(CountAllDevices(), 0);

  // The setup program deletes the tool after an uninstall whatever it
  // returns: exit code 1 must mean "removal finishes at the restart", with
  // the driver no longer counted as installed, never "nothing done".
  ClearRestartMarker(KEY_WOW64_32KEY);
  ASSERT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  ASSERT_EQ(SetRestartMarker(7, KEY_WOW64_32KEY), 1);
  EXPECT_EQ(Tool(HostToolPath(), UNINSTALL_LINE), 1u);
  EXPECT_EQ(ProbeFirstPresentInterface(), 0);
  EXPECT_EQ(CountAllDevices(), 0);

  // Zero means no restart pending.
  ASSERT_EQ(SetRestartMarker(0, KEY_WOW64_32KEY), 1);
  ASSERT_EQ(Tool(HostToolPath(), INSTALL_LINE), 0u);
  EXPECT_EQ(Tool(HostToolPath(), UNINSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 0);
}

TEST_F(StandInToolTest, BothBuildsReadTheMarkerInThe32BitView) {
  if (!OnA64BitHost()) GTEST_SKIP() << "one registry view in a 32-bit prefix";
  // In the 64-bit view only: not the documented place, so ignored.
  ASSERT_EQ(SetRestartMarker(1, KEY_WOW64_64KEY), 1);
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup_x64.exe"), INSTALL_LINE), 0u);
  ClearRestartMarker(KEY_WOW64_64KEY);
  ASSERT_EQ(SetRestartMarker(1, KEY_WOW64_32KEY), 1);
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup_x64.exe"), UNINSTALL_LINE), 1u);
  EXPECT_EQ(CountAllDevices(), 0);
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup.exe"), INSTALL_LINE), 1u);
  EXPECT_EQ(CountAllDevices(), 0);
}

TEST_F(StandInToolTest, TheTwoBuildsSeeOneAnothersDevice) {
  if (!OnA64BitHost()) GTEST_SKIP() << "the 64-bit build needs a 64-bit prefix";
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup.exe"), INSTALL_LINE), 0u);
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup_x64.exe"), INSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 1);
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup_x64.exe"), UNINSTALL_LINE), 0u);
  EXPECT_EQ(CountAllDevices(), 0);
  EXPECT_EQ(Tool(PayloadFile("SONDREL_Setup.exe"), INSTALL_LINE), 0u);
  EXPECT_EQ(ProbeFirstPresentInterface(), 1);
}

TEST_F(StandInToolTest, BadCommandLinesExitTwoAndChangeNothing) {
  for (const char* line : {"", "-x", "-h -i -u -H", "-h -u -n", "-I", "-h -i extra"}) {
    EXPECT_EQ(Tool(HostToolPath(), line), 2u) << '"' << line << '"';
  }
  EXPECT_EQ(CountAllDevices(), 0);
}

TEST_F(StandInToolTest, ProgramNameFirstIsAlsoUnderstood) {
  // The usual command line convention: the tool's own quoted path first.
  std::string line = "\"";
  line += HostToolPath();  // appended, not concatenated: GCC 12 -Wrestrict misfires on "x" + s
  line += "\" ";
  line += INSTALL_LINE;
  EXPECT_EQ(Tool(HostToolPath(), line.c_str()), 0u);
  EXPECT_EQ(CountPresentInterfaces(), 1);
}

TEST_F(StandInToolTest, HiddenRunsPrintNothingOtherRunsReport) {
  const RunResult hidden = RunCapturingOutput(HostToolPath(), INSTALL_LINE);
  EXPECT_EQ(hidden.exitCode, 0u);
  EXPECT_EQ(hidden.output, "");
  const RunResult hiddenError = RunCapturingOutput(HostToolPath(), "-h -x");
  EXPECT_EQ(hiddenError.exitCode, 2u);
  EXPECT_EQ(hiddenError.output, "");

  const RunResult visible = RunCapturingOutput(HostToolPath(), "-u");
  EXPECT_EQ(visible.exitCode, 0u);
  EXPECT_NE(visible.output.find("Removed 1 device"), std::string::npos) << visible.output;
  const RunResult usage = RunCapturingOutput(HostToolPath(), "-i -u");
  EXPECT_EQ(usage.exitCode, 2u);
  EXPECT_NE(usage.output.find("Usage:"), std::string::npos) << usage.output;
}

}  // namespace
}  // namespace payload_test

// The system probe against the running system: the 64-bit host, the
// program's own path, and the operating-system class under the version
// settings Wine offers.
#include "probe/system_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/windows/platform/win_test_support.h"

namespace {

TEST(SystemProbeWin32Test, Wow64HostMatchesThePrefix) {
  EXPECT_EQ(probe::IsWow64Host(), win_test::UnderWow64() ? 1 : 0);
}

TEST(SystemProbeWin32Test, ProbeFillsTheModulePathAndAClass) {
  auto state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  state->instance = GetModuleHandleA(nullptr);
  state->osClass = 99;
  probe::ProbeSystem(*state);
  char expected[1024] = {};
  GetModuleFileNameA(nullptr, expected, sizeof expected);
  EXPECT_STREQ(state->modulePath, expected);
  EXPECT_GE(state->osClass, probe::OS_CLASS_UNKNOWN);
  EXPECT_LE(state->osClass, probe::OS_CLASS_WIN8);
}

// Sets the version Wine reports to one program by its per-program defaults,
// and removes the setting again.
class AppVersionSetting {
 public:
  explicit AppVersionSetting(const std::string& program)
      : key_("Software\\Wine\\AppDefaults\\" + program) {}
  ~AppVersionSetting() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }
  AppVersionSetting(const AppVersionSetting&) = delete;
  AppVersionSetting& operator=(const AppVersionSetting&) = delete;

  bool Set(const std::string& version) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const LONG set = RegSetValueExA(key, "Version", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(version.c_str()),
                                    static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
  }

 private:
  std::string key_;
};

struct Report {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned productType = 0;
  int osClass = -2;
  bool ok = false;
};

// Runs the reporting program beside this test and reads its one line.
Report RunReport() {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder = self;
  folder.resize(folder.rfind('\\'));
  std::string command = "\"";
  command += folder;
  command += "\\os_class_report.exe\"";

  Report report;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    return report;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      output.append(buffer, got);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  report.ok = std::sscanf(output.c_str(), "%u %u %u %d", &report.major, &report.minor,
                          &report.productType, &report.osClass) == 4;
  return report;
}

// The class table applied to a reported version.
int ExpectedClass(const Report& report) {
  if (report.major <= 5) {
    return report.minor == 0 ? 0 : report.minor == 2 ? 2 : 1;
  }
  if (report.major == 6) {
    if (report.minor == 0) {
      return 3;
    }
    if (report.minor == 1) {
      return report.productType == 1 ? 4 : 3;
    }
    if (report.minor == 2) {
      return 5;
    }
  }
  return -1;
}

TEST(SystemProbeWin32Test, ClassFollowsTheReportedVersion) {
  struct Setting {
    const char* version;
    int expected;  // for the settings whose report Wine 8 gets right; -2: read it
  };
  const Setting settings[] = {
      {"win2k", probe::OS_CLASS_BEFORE_XP},   {"winxp", probe::OS_CLASS_XP},
      {"win2003", probe::OS_CLASS_SERVER_2003}, {"vista", probe::OS_CLASS_VISTA},
      {"win2008", probe::OS_CLASS_VISTA},     {"win8", probe::OS_CLASS_WIN8},
      {"win98", probe::OS_CLASS_XP},          {"win7", -2},
      {"win2008r2", -2},                      {"win10", -2},
  };
  AppVersionSetting setting("os_class_report.exe");
  int win7Class = 0;
  int win2008r2Class = 0;
  for (const Setting& s : settings) {
    ASSERT_TRUE(setting.Set(s.version));
    const Report report = RunReport();
    ASSERT_TRUE(report.ok) << s.version;
    EXPECT_EQ(report.osClass, ExpectedClass(report))
        << s.version << ": " << report.major << "." << report.minor << " type "
        << report.productType;
    if (s.expected != -2) {
      EXPECT_EQ(report.osClass, s.expected) << s.version;
    }
    if (std::string(s.version) == "win7") {
      win7Class = report.osClass;
    } else if (std::string(s.version) == "win2008r2") {
      win2008r2Class = report.osClass;
    }
  }
  // One of the two 6.1 settings is a workstation, the other a server; which
  // is which Wine 8 reports the wrong way round.
  EXPECT_EQ(win7Class + win2008r2Class, probe::OS_CLASS_WIN7 + probe::OS_CLASS_VISTA);
  EXPECT_NE(win7Class, win2008r2Class);
}

}  // namespace

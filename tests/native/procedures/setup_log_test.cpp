// The setup log against the fakes: where the request comes from, the
// refusals of the safe open, the size cap, what a line holds, and the lines
// a failed install leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/setup_log.h"
#include "platform/fake/fake_file_copy.h"
#include "platform/fake/fake_log_file.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/clock.h"
#include "platform/log_file.h"
#include "platform/process.h"
#include "platform/system.h"
#include "procedure_fixture.h"
#include "setup/install.h"
#include "setup/uninstall.h"

namespace procedures_test {
namespace {

namespace fake = platform::fake;

const std::string kLogPath = "C:\\logs\\setup.log";
const std::string kPolicyKey = "HKLM\\SOFTWARE\\Policies\\Kelvane\\Brevik";
// How a log this program wrote begins.
const std::string kOurStart = "2025-01-02T03:04:05.678Z  start  BrevikSetup 1.0.0.6  program C:\\BrevikSetup.exe\r\n";

class SetupLogTest : public ProcedureTest {
 protected:
  void SetUp() override {
    app::setupLog.file.Reset();  // before the fake forgets the file
    ProcedureTest::SetUp();
  }
  void TearDown() override {
    app::setupLog.file.Reset();
    EXPECT_EQ(fake::OpenLogFiles(), 0);
    ProcedureTest::TearDown();
  }

  // Opens the log at kLogPath as start-up does.
  void OpenLog() { ASSERT_EQ(app::OpenSetupLog(app::setupLog, kLogPath.c_str()), platform::LOG_FILE_OPENED); }

  // The log's lines without their CR LF, time stamps included.
  static std::vector<std::string> Lines(const std::string& path = kLogPath) {
    std::vector<std::string> lines;
    const std::string text = fake::LogFileText(path);
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
      lines.push_back(text.substr(at, end - at));
    }
    EXPECT_EQ(at, text.size()) << "an unterminated last line";
    return lines;
  }

  static bool HasLine(const std::string& line) {
    for (const std::string& l : Lines()) {
      if (l == "2026-12-09T01:02:03.456Z  " + line) return true;
    }
    ADD_FAILURE() << "no line \"" << line << "\" in\n" << fake::LogFileText(kLogPath);
    return false;
  }
};

TEST_F(SetupLogTest, TheVariableWinsOverThePolicyAndEmptyMeansNotAsked) {
  char path[app::LOG_PATH_SIZE];
  EXPECT_EQ(app::FindLogRequest(path), 0);

  fake::PutRegistryText(kPolicyKey, "SetupLog", "C:\\policy.log", true);
  EXPECT_EQ(app::FindLogRequest(path), 1);
  EXPECT_STREQ(path, "C:\\policy.log");

  fake::SetEnvironmentText("BREVIK_SETUP_LOG", "");
  EXPECT_EQ(app::FindLogRequest(path), 1);
  EXPECT_STREQ(path, "C:\\policy.log");

  fake::SetEnvironmentText("BREVIK_SETUP_LOG", "D:\\run.log");
  EXPECT_EQ(app::FindLogRequest(path), 1);
  EXPECT_STREQ(path, "D:\\run.log");

  // A path with no room left for the rotation suffix, or none for its zero,
  // is no request, and the policy does not stand in.
  for (size_t length : {1020u, 2000u}) {
    fake::SetEnvironmentText("BREVIK_SETUP_LOG", "C:\\" + std::string(length, 'a'));
    EXPECT_EQ(app::FindLogRequest(path), 0) << length;
  }
  fake::SetEnvironmentText("BREVIK_SETUP_LOG", "");
  fake::PutRegistryValue(kPolicyKey, "SetupLog", platform::REGISTRY_TYPE_EXPAND_SZ,
                         {'C', ':', '\\', 'x', 0});
  EXPECT_EQ(app::FindLogRequest(path), 0);
}

TEST_F(SetupLogTest, WithoutARequestWithAFailingLogOrAtAForeignFileTheInstallIsTheSame) {
  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_TRUE(fake::LogFilePaths().empty());

  // The policy asks, but every write fails: same result, same effects.
  SetUp();
  fake::PutRegistryText(kPolicyKey, "SetupLog", kLogPath, true);
  char path[app::LOG_PATH_SIZE];
  ASSERT_EQ(app::FindLogRequest(path), 1);
  ASSERT_EQ(app::OpenSetupLog(app::setupLog, path), platform::LOG_FILE_OPENED);
  fake::FailLogWrites();
  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ExtractedFiles(), kEntryCount);
  EXPECT_EQ(fake::LogFileText(kLogPath), "");

  // The variable names someone else's file: not opened, same result.
  SetUp();
  fake::SetEnvironmentText("BREVIK_SETUP_LOG", "C:\\windows\\win.ini");
  fake::PutLogFile("C:\\windows\\win.ini", "[fonts]\r\n");
  ASSERT_EQ(app::FindLogRequest(path), 1);
  EXPECT_EQ(app::OpenSetupLog(app::setupLog, path), app::LOG_NOT_OURS);
  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ExtractedFiles(), kEntryCount);
  EXPECT_EQ(fake::LogFileText("C:\\windows\\win.ini"), "[fonts]\r\n");
}

TEST_F(SetupLogTest, ALinkAHardLinkedFileOrAFolderIsRefused) {
  struct Row {
    const char* what;
    void (*arrange)();
  };
  const Row rows[] = {
      {"link", [] { fake::PutLogLink(kLogPath); }},
      {"two names", [] {
         fake::PutLogFile(kLogPath, "someone else's file\r\n");
         fake::SetLogFileNames(kLogPath, 2);
       }},
      {"folder", [] { fake::PutLogFolder(kLogPath); }},
  };
  for (const Row& row : rows) {
    fake::ResetLogFiles();
    row.arrange();
    const std::string before = fake::LogFileText(kLogPath);
    EXPECT_EQ(app::OpenSetupLog(app::setupLog, kLogPath.c_str()), platform::LOG_FILE_REFUSED) << row.what;
    EXPECT_FALSE(app::setupLog.file.IsValid()) << row.what;
    app::LogStep("package", 0);
    EXPECT_EQ(fake::LogFileText(kLogPath), before) << row.what;
    EXPECT_EQ(fake::OpenLogFiles(), 0) << row.what;
  }
}

TEST_F(SetupLogTest, OurLogIsAppendedToAndOverTheCapBecomesTheEarlierOneAndTheRunStartsFresh) {
  // A log a run wrote is taken again, as long as it begins with its header.
  OpenLog();
  app::WriteLogHeader(app::setupLog, app::LogHeader{"1.0.0.7", "C:\\BrevikSetup.exe", "-h -i", 4, 1, 1});
  app::setupLog.file.Reset();
  OpenLog();
  app::LogStep("package", 0);
  EXPECT_EQ(Lines().size(), 2u);

  const std::string atCap = kOurStart + std::string(app::LOG_SIZE_CAP - kOurStart.size(), 'x');
  fake::PutLogFile(kLogPath, atCap);
  fake::PutLogFile(kLogPath + ".1", kOurStart + "older");
  OpenLog();
  app::setupLog.file.Reset();
  EXPECT_EQ(fake::LogFileText(kLogPath), atCap) << "not over the cap yet";

  const std::string overCap = atCap + "y";
  fake::PutLogFile(kLogPath, overCap);
  OpenLog();
  app::LogStep("package", 0);
  EXPECT_EQ(fake::LogFileText(kLogPath + ".1"), overCap);
  EXPECT_EQ(Lines(), std::vector<std::string>{"2026-12-09T01:02:03.456Z  step  package  ok"});
  EXPECT_EQ(fake::LogFilePaths().size(), 2u);
}

TEST_F(SetupLogTest, AFileThatIsNotOurLogIsNeitherAppendedToRenamedNorReplaced) {
  const std::string big(app::LOG_SIZE_CAP + 1, 'M');
  struct Row {
    const char* what;
    std::string log;      // at the log's path
    std::string rotated;  // at its .1, when not empty
    int outcome;
  };
  const Row rows[] = {
      {"a system file", "; for 16-bit app support\r\n[fonts]\r\n", "", app::LOG_NOT_OURS},
      {"a big one, which our log would rotate", big, "", app::LOG_NOT_OURS},
      {"an empty file we did not make", "", "", app::LOG_NOT_OURS},
      {"a log line that is not a run's first", "2026-12-09T01:02:03.456Z  step  package  ok\r\n", "",
       app::LOG_NOT_OURS},
      {"a start line with a letter for a digit", "2026-12-09T01:0x:03.456Z  start  BrevikSetup 1\r\n", "",
       app::LOG_NOT_OURS},
      {"our log over the cap, someone else's file at .1", kOurStart + big, "MZ\x90", app::LOG_NOT_ROTATED},
      {"our log over the cap, a link at .1", kOurStart + big, "", app::LOG_NOT_ROTATED},
  };
  for (const Row& row : rows) {
    fake::ResetLogFiles();
    fake::PutLogFile(kLogPath, row.log);
    if (!row.rotated.empty()) fake::PutLogFile(kLogPath + ".1", row.rotated);
    if (row.outcome == app::LOG_NOT_ROTATED && row.rotated.empty()) fake::PutLogLink(kLogPath + ".1");
    const std::vector<std::string> paths = fake::LogFilePaths();
    EXPECT_EQ(app::OpenSetupLog(app::setupLog, kLogPath.c_str()), row.outcome) << row.what;
    EXPECT_FALSE(app::setupLog.file.IsValid()) << row.what;
    app::LogStep("package", 0);
    EXPECT_EQ(fake::LogFileText(kLogPath), row.log) << row.what;
    EXPECT_EQ(fake::LogFileText(kLogPath + ".1"), row.rotated) << row.what;
    EXPECT_EQ(fake::LogFilePaths(), paths) << row.what;
    EXPECT_EQ(fake::OpenLogFiles(), 0) << row.what;
  }
}

TEST_F(SetupLogTest, TheHeaderNamesTimeVersionProgramCommandSystemElevationAndHost) {
  fake::clockKnobs.time = platform::UtcTime{2027, 1, 2, 3, 4, 5, 6};
  OpenLog();
  app::WriteLogHeader(app::setupLog, app::LogHeader{"1.0.0.7", "C:\\Setup\\BrevikSetup.exe", "-h\t-i", 4, 1,
                                                    platform::ELEVATION_YES});
  app::WriteLogHeader(app::setupLog, app::LogHeader{"1.0.0.7", "C:\\Setup\\BrevikSetup.exe", "", -1, 0,
                                                    platform::ELEVATION_UNKNOWN});
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "2027-01-02T03:04:05.006Z  start  BrevikSetup 1.0.0.7  program C:\\Setup\\BrevikSetup.exe"
                         "  command \"-h?-i\"  os 4  64-bit 1  elevated 1",
                         "2027-01-02T03:04:05.006Z  start  BrevikSetup 1.0.0.7  program C:\\Setup\\BrevikSetup.exe"
                         "  command \"\"  os -1  64-bit 0  elevated unknown"}));

  // The host's machine, where the system tells it: an ARM64 host under the
  // x64 face WoW64 shows, and a type without a name.
  for (uint16_t machine : {platform::MACHINE_ARM64, uint16_t{0x5064}}) {
    fake::SetHostMachine(machine);
    app::WriteLogHeader(app::setupLog, app::LogHeader{"1.0.0.7", "C:\\BrevikSetup.exe", "", 4, 1, 1});
  }
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].substr(lines[2].find("  os ")), "  os 4  64-bit 1  elevated 1  host ARM64");
  EXPECT_EQ(lines[3].substr(lines[3].find("  os ")), "  os 4  64-bit 1  elevated 1  host 0x00005064");

  // A line too long for its buffer is cut visibly, still one line.
  app::LogFolderCreated(std::string(5000, 'p').c_str(), 1);
  const std::string last = Lines().back();
  EXPECT_EQ(last.size() + 2, app::LOG_LINE_SIZE - 1);
  EXPECT_EQ(last.substr(last.size() - 6), " [cut]");
}

TEST_F(SetupLogTest, AFailedInstallNamesTheFailedEntryTheToolRunAndTheSystemError) {
  // A damaged last entry.
  std::vector<uint8_t> damaged = SamplePackage();
  damaged.back() ^= 0x5A;
  fake::SetPackage(damaged);
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), -10);
  HasLine("step  package  ok");
  HasLine("folder  " + kTarget + "  created");
  HasLine("entry  21 readme.txt  digest mismatch");
  HasLine("step  extract  failed -101");

  // The tool asks for a restart first.
  SetUp();
  fake::processKnobs.exitCode = 1;
  fake::clockKnobs.millisecondStep = 250;
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), -21);
  HasLine("tool  " + kTarget + "\\SONDREL_Setup.exe  command \"-h -i -H -n\"  started  exit 1  250 ms");

  // The tool cannot be started, and the target folder cannot be created:
  // the system's error code and message.
  SetUp();
  fake::processKnobs.startOutcome = platform::PROCESS_NOT_STARTED;
  fake::systemErrorKnobs.lastError = 2;
  fake::systemErrorKnobs.texts[2] = "The system cannot find the file specified.";
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), -605);
  HasLine("tool  " + kTarget +
          "\\SONDREL_Setup.exe  command \"-h -i -H -n\"  not started  error 2: The system cannot find the file "
          "specified.");

  SetUp();
  fake::FailCreateFolder(kProgramFiles + "\\KV");
  fake::systemErrorKnobs.lastError = 5;
  fake::systemErrorKnobs.texts[5] = "Access is denied.";
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), -3);
  HasLine("folder  " + kTarget + "  not created  error 5: Access is denied.");

  // KV a file, or a link: the line says which is in the way.
  SetUp();
  fake::AddFile(kProgramFiles + "\\KV", "a file");
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), -3);
  HasLine("folder  " + kTarget + "  a file: left alone");
  SetUp();
  fake::AddFolderLink(kProgramFiles + "\\KV", "C:\\Elsewhere", true);
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), -3);
  HasLine("folder  " + kTarget + "  a link: left alone");
}

// Each step runs first and its line follows, in the order of the steps, and
// each line reports that step's own outcome.
TEST_F(SetupLogTest, AnInstallLogsEveryStepInOrderWithItsOwnOutcome) {
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), 0);
  const std::string userMenu = kUserPrograms + "\\Kelvane\\Brevik";
  const std::string commonMenu = kCommonPrograms + "\\Kelvane\\Brevik";
  std::vector<std::string> expected = {"registry  " + kUserKey + "  deleted", "step  package  ok",
                                       "folder  " + kTarget + "  created", "step  extract  ok"};
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 15u) << fake::LogFileText(kLogPath);
  for (std::string& line : lines) line.erase(0, std::string("2026-12-09T01:02:03.456Z  ").size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4), expected);
  EXPECT_EQ(lines[4].substr(0, 6), "tool  ");
  expected = {"folder  " + userMenu + "  created",
              "shortcut  " + userMenu + "\\Readme.LNK  created",
              "shortcut  " + userMenu + "\\Brevik.LNK  created",
              "folder  " + commonMenu + "  created",
              "shortcut  " + commonMenu + "\\Readme.LNK  created",
              "shortcut  " + commonMenu + "\\Brevik.LNK  created",
              "copy  " + kUninstaller + "  copied",
              "registry  " + kEntryKey + "  DisplayName  written",
              "registry  " + kEntryKey + "  Publisher  written",
              "registry  " + kEntryKey + "  UninstallString  written"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()), expected);

  // Steps that fail without stopping the install: each line says so.
  SetUp();
  fake::FailRegistry(fake::RegistryOp::Delete, kUserKey, platform::REGISTRY_ACCESS_DENIED);
  fake::FailRegistry(fake::RegistryOp::SetValue, kEntryKey, platform::REGISTRY_ACCESS_DENIED);
  fake::fileCopyKnobs.failCopy = true;
  fake::systemErrorKnobs.lastError = 5;
  fake::systemErrorKnobs.texts[5] = "Access is denied.";
  OpenLog();
  EXPECT_EQ(setup::RunInstall(state), 0);
  HasLine("registry  " + kUserKey + "  not deleted");
  HasLine("copy  " + kUninstaller + "  not copied  error 5: Access is denied.");
  HasLine("registry  " + kEntryKey + "  UninstallString  not written");
}

TEST_F(SetupLogTest, AnUninstallNamesWhatItRemovedAndWhatStayed) {
  SeedInstalledMachine();
  fake::AddFile(kTarget + "\\user.txt", "kept");
  fake::SetInUse(kTarget + "\\user.txt");
  fake::systemErrorKnobs.lastError = 32;
  OpenLog();
  EXPECT_EQ(setup::RunUninstall(state), 0);
  HasLine("tool  " + kTarget + "\\SONDREL_Setup.exe  command \"-h -u -H\"  started  exit 0  0 ms");
  HasLine("shortcut  " + kUserPrograms + "\\Kelvane\\Brevik\\Brevik.LNK  deleted");
  HasLine("folder  " + kCommonPrograms + "\\Kelvane\\Brevik  removed");
  HasLine("registry  " + kEntryKey + "  deleted");
  HasLine("folder  " + kTarget + "  left");
  HasLine("result  uninstall  0");
}

}  // namespace
}  // namespace procedures_test

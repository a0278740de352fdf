// The install procedure against the fakes: each result with its texts,
// notification and effects, the tool's start, the shortcut sets, the
// uninstaller copy and the uninstall entry.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "platform/fake/fake_file_copy.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_shell_link.h"
#include "platform/process.h"
#include "app/setup_log.h"
#include "platform/fake/fake_log_file.h"
#include "platform/log_file.h"
#include "probe/system_probe.h"
#include "procedure_fixture.h"
#include "setup/setup_texts.h"
#include "setup/install.h"

namespace procedures_test {
namespace {

namespace fake = platform::fake;

const std::string kHostTail = "www.kelvane.com.";
const std::string kPackageText =
    "Installation package might be corrupted\nthanks to download official package at\n" + kHostTail;
const std::string kFolderText =
    "Failed to create target folder on system disk\nthanks to download official package at\n" + kHostTail;
const std::string kExtractText =
    "Failed to copy file(s) to destination folder...\nInstallation package might be corrupted\n"
    "thanks to download official package at\n" +
    kHostTail;
const std::string kRestartText =
    "Cannot install Mireline Driver now...\nYOU MUST RESTART your system and then relaunch setup program";

constexpr intptr_t kFailure = 127;
constexpr intptr_t kSuccess = 128;
constexpr intptr_t kNone = 0;

struct InstallCase {
  const char* name;
  std::function<void()> arrange;
  int32_t result;
  std::string failureText;
  intptr_t notification;  // kNone: nothing posted
  std::string statusText;
  bool targetCreated;
  int extracted;
  size_t toolStarts;
  size_t shortcuts;
  bool finalized;  // uninstaller copy and uninstall entry made
};

std::vector<InstallCase> InstallCases() {
  return {
      {"Success", [] {}, 0, kPreviousText, kSuccess, "Installation Completed", true, kEntryCount, 1, 4, true},
      {"PackageMissing", [] { fake::SetPackageMissing(); }, -1, kPackageText, kFailure, "Extract Package",
       false, 0, 0, 0, false},
      {"PackageOnlyATable",
       [] {
         std::vector<uint8_t> bytes(SamplePackage().begin(),
                                    SamplePackage().begin() + package::PACKAGE_TABLE_SIZE);
         fake::SetPackage(bytes);
       },
       -1, kPackageText, kFailure, "Extract Package", false, 0, 0, 0, false},
      {"TargetFolderRefused", [] { fake::FailCreateFolder(kProgramFiles + "\\KV"); }, -3, kFolderText,
       kFailure, "Copy Files", false, 0, 0, 0, false},
      // A link at KV is no usable target folder: nothing is made at its target.
      {"TargetFolderParentIsALink", [] { fake::AddFolderLink(kProgramFiles + "\\KV", "C:\\Elsewhere", true); },
       -3, kFolderText, kFailure, "Copy Files", false, 0, 0, 0, false},
      {"LastEntryDamaged",
       [] {
         std::vector<uint8_t> bytes = SamplePackage();
         bytes.back() ^= 0x5A;
         fake::SetPackage(bytes);
       },
       -10, kExtractText, kFailure, "Copy Files", true, kEntryCount - 1, 0, 0, false},
      {"ToolAsksForRestart", [] { fake::processKnobs.exitCode = 1; }, -21, kRestartText, kFailure,
       "Install Audio Driver", true, kEntryCount, 1, 0, false},
      {"ToolNotStarted", [] { fake::processKnobs.startOutcome = platform::PROCESS_NOT_STARTED; }, -605, kPreviousText,
       kNone, "Install Audio Driver", true, kEntryCount, 1, 0, false},
      {"ToolWithoutHandle", [] { fake::processKnobs.startOutcome = platform::PROCESS_STARTED_WITHOUT_HANDLE; }, -604,
       kPreviousText, kNone, "Install Audio Driver", true, kEntryCount, 1, 0, false},
  };
}

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const InstallCase& row, std::ostream* out) { *out << row.name; }

class InstallResultTest : public ProcedureTest, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(InstallResultTest, ResultTextsNotificationAndEffects) {
  const InstallCase& row = GetParam();
  row.arrange();

  EXPECT_EQ(setup::RunInstall(state), row.result);

  EXPECT_STREQ(state.failureCaption, "Brevik Installation Error");
  EXPECT_EQ(std::string(state.failureText), row.failureText);
  EXPECT_EQ(std::string(state.statusText), row.statusText);
  std::vector<fake::PostedCommand> posted = fake::PostedCommands();
  if (row.notification == kNone) {
    EXPECT_TRUE(posted.empty());
  } else {
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].window, kWindow);
    EXPECT_EQ(posted[0].command, 180);
    EXPECT_EQ(posted[0].code, row.notification);
    // The notification is the procedure's last act.
    EXPECT_EQ(Seam().back().rfind("PostCommand", 0), 0u);
  }
  EXPECT_TRUE(fake::ShownMessageBoxes().empty());

  // The per-user key goes in every run, before anything else.
  EXPECT_FALSE(fake::RegistryKeyExists(kUserKey));
  ASSERT_FALSE(RegistryChanges().empty());
  EXPECT_EQ(RegistryChanges()[0].rfind("DeleteRegistryKey " + kUserKey, 0), 0u);

  EXPECT_EQ(fake::FolderExists(kTarget), row.targetCreated);
  EXPECT_EQ(FileCalls("CreateFolder").empty(), row.result == -1);
  EXPECT_EQ(ExtractedFiles(), row.extracted);
  EXPECT_EQ(fake::ProcessLaunches().size(), row.toolStarts);
  EXPECT_EQ(ShortcutSaves().size(), row.shortcuts);
  EXPECT_EQ(fake::FileExists(kUninstaller), row.finalized);
  EXPECT_EQ(fake::RegistryKeyExists(kEntryKey), row.finalized);
}

INSTANTIATE_TEST_SUITE_P(Codes, InstallResultTest, ::testing::ValuesIn(InstallCases()),
                         [](const auto& info) { return std::string(info.param.name); });

class InstallTest : public ProcedureTest {};

TEST_F(InstallTest, StepsRunInOrderAndEachSeesTheEarlierOnesDone) {
  std::vector<std::string> notes;
  fake::SetCallObserver([&](const std::string& line) {
    if (line.rfind("StartProcess", 0) == 0) {
      notes.push_back("tool: files " + std::to_string(ExtractedFiles()) + ", shortcuts " +
                      std::to_string(ShortcutSaves().size()) + ", entry " +
                      std::to_string(fake::RegistryKeyExists(kEntryKey)) + ", status " + state.statusText);
    } else if (line.rfind("CopyModuleFile", 0) == 0) {
      notes.push_back("copy: shortcuts " + std::to_string(ShortcutSaves().size()) + ", entry " +
                      std::to_string(fake::RegistryKeyExists(kEntryKey)) + ", status " + state.statusText);
    } else if (line.rfind("PostCommand", 0) == 0) {
      size_t values = 0;
      for (const std::string& change : RegistryChanges()) values += change.rfind("SetRegistryString ", 0) == 0 ? 1 : 0;
      notes.push_back("post: entry values " + std::to_string(values) + ", status " + state.statusText);
    }
  });

  ASSERT_EQ(setup::RunInstall(state), 0);

  EXPECT_EQ(notes, (std::vector<std::string>{
                       "tool: files " + std::to_string(kEntryCount) + ", shortcuts 0, entry 0, status Install Audio Driver",
                       "copy: shortcuts 4, entry 0, status Finalize Installation",
                       "post: entry values 3, status Installation Completed"}));
  EXPECT_EQ(Seam(), (std::vector<std::string>{
                        "StartProcess " + kTarget + "\\SONDREL_Setup.exe | -h -i -H -n | " + kTarget,
                        "WaitForProcess",
                        "ReadProcessExitCode 0",
                        "CloseProcessHandle",
                        "CopyModuleFile " + kUninstaller,
                        "SetFileAttributesNormal " + kUninstaller,
                        "PostCommand " + kWindowNumber + " 180 128",
                    }));
  const std::string userMenu = kUserPrograms + "\\Kelvane\\Brevik";
  const std::string commonMenu = kCommonPrograms + "\\Kelvane\\Brevik";
  EXPECT_EQ(ShortcutSaves(), (std::vector<std::string>{userMenu + "\\Readme.LNK", userMenu + "\\Brevik.LNK",
                                                       commonMenu + "\\Readme.LNK", commonMenu + "\\Brevik.LNK"}));
  const auto& saved = fake::SavedShortcuts();
  const fake::SavedShortcut& readme = saved.at(commonMenu + "\\Readme.LNK");
  EXPECT_EQ(readme.targetPath, kTarget + "\\readme.txt");
  EXPECT_EQ(readme.description, "Readme");
  EXPECT_EQ(readme.arguments, "(null)");
  EXPECT_EQ(readme.workingDirectory, kTarget);
  EXPECT_EQ(saved.at(userMenu + "\\Brevik.LNK").targetPath, kTarget + "\\SONDREL_Brevik.exe");

  EXPECT_EQ(RegistryChanges(), (std::vector<std::string>{
                                   "DeleteRegistryKey " + kUserKey + "\\Settings",
                                   "DeleteRegistryKey " + kUserKey,
                                   "SetRegistryString " + kEntryKey + " [DisplayName] 20",
                                   "SetRegistryString " + kEntryKey + " [Publisher] 17",
                                   "SetRegistryString " + kEntryKey + " [UninstallString] " +
                                       std::to_string(kUninstaller.size() + 3),
                               }));
  EXPECT_EQ(fake::FileContent(kUninstaller), "the setup program");
}

TEST_F(InstallTest, UninstallEntryNamesTheQuotedCopyAndKeepsOtherValues) {
  fake::PutRegistryText(kEntryKey, "DisplayVersion", "0.9", true);
  fake::PutRegistryText(kEntryKey, "Publisher", "someone else", true);

  ASSERT_EQ(setup::RunInstall(state), 0);

  EXPECT_EQ(RegistryText(kEntryKey, "DisplayName"), "Brevik and Mireline");
  EXPECT_EQ(RegistryText(kEntryKey, "Publisher"), "Kelvane Software");
  EXPECT_EQ(RegistryText(kEntryKey, "UninstallString"),
            "\"C:\\Program Files (x86)\\KV\\Brevik\\BrevikSetup.exe\"");
  EXPECT_EQ(RegistryText(kEntryKey, "DisplayVersion"), "0.9");
}

TEST_F(InstallTest, FailedCopyIsIgnoredAndTheEntryIsStillWritten) {
  fake::fileCopyKnobs.failCopy = true;

  EXPECT_EQ(setup::RunInstall(state), 0);

  EXPECT_FALSE(fake::FileExists(kUninstaller));
  for (const std::string& line : Seam()) EXPECT_EQ(line.find("SetFileAttributesNormal"), std::string::npos);
  EXPECT_EQ(RegistryText(kEntryKey, "UninstallString"), "\"" + kUninstaller + "\"");
  EXPECT_EQ(fake::PostedCommands().back().code, kSuccess);
}

TEST_F(InstallTest, ProgramRunningFromTheTargetFolderCannotCopyItselfButIsNamed) {
  fake::AddFile(kUninstaller, "the installed copy");
  std::strcpy(state.modulePath, kUninstaller.c_str());
  fake::SetModulePath(kUninstaller);

  EXPECT_EQ(setup::RunInstall(state), 0);

  EXPECT_EQ(fake::FileContent(kUninstaller), "the installed copy");
  EXPECT_EQ(RegistryText(kEntryKey, "UninstallString"), "\"" + kUninstaller + "\"");
}

TEST_F(InstallTest, UninstallerIsTheProgramsOwnBytesWhateverItsPathHolds) {
  struct Case {
    const char* what;
    std::string path;           // as the system holds it (UTF-8 here)
    std::string uninstallerName;
  };
  const Case cases[] = {
      {"folder without an ANSI form", "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\BrevikSetup (2).exe",
       "BrevikSetup (2).exe"},
      {"folder with only a best-fit form", "C:\\Users\\\xC5\x81ukasz\\BrevikSetup.exe", "BrevikSetup.exe"},
      {"file name without an ANSI form", "C:\\Setup\\Brevik\xC5\x81.exe", "BrevikSetup.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    fake::SetModulePath(c.path);
    fake::AddFile(c.path, "the setup program");
    // The best-fit neighbour anyone may plant where the ANSI path points.
    fake::AddFile("C:\\Users\\Lukasz\\BrevikSetup.exe", "a planted program");
    probe::ProbeSystem(state);
    EXPECT_STREQ(state.modulePath, "");

    ASSERT_EQ(setup::RunInstall(state), 0);

    const std::string uninstaller = kTarget + "\\" + c.uninstallerName;
    EXPECT_EQ(fake::FileContent(uninstaller), "the setup program");
    EXPECT_EQ(RegistryText(kEntryKey, "UninstallString"), "\"" + uninstaller + "\"");
    for (const std::string& line : Seam()) EXPECT_EQ(line.find("Lukasz"), std::string::npos) << line;
  }
}

TEST_F(InstallTest, UserProgramsWithoutAnExactFormSkipsTheUserSetAndSaysSo) {
  fake::PutRegistryInexactText(kShellFoldersKey, "Programs", "C:\\Users\\Lukasz\\Menu");
  const std::string logPath = "C:\\Logs\\setup.log";
  ASSERT_EQ(app::OpenSetupLog(app::setupLog, logPath.c_str()), platform::LOG_FILE_OPENED);

  ASSERT_EQ(setup::RunInstall(state), 0);
  app::setupLog.file.Reset();

  const std::string commonMenu = kCommonPrograms + "\\Kelvane\\Brevik";
  EXPECT_EQ(ShortcutSaves(), (std::vector<std::string>{commonMenu + "\\Readme.LNK", commonMenu + "\\Brevik.LNK"}));
  EXPECT_FALSE(fake::FolderExists("C:\\Users\\Lukasz\\Menu\\Kelvane"));
  EXPECT_NE(fake::LogFileText(logPath).find("  registry  HKCU\\" + std::string(setup::SHELL_FOLDERS_KEY) +
                                            "  Programs  no exact ANSI form: per-user shortcuts skipped\r\n"),
            std::string::npos)
      << fake::LogFileText(logPath);
}

TEST_F(InstallTest, ToolAndFolderFollowTheHostKind) {
  for (int is64 : {0, 1}) {
    SCOPED_TRACE(is64);
    SetUp();
    state.is64BitHost = is64;
    ASSERT_EQ(setup::RunInstall(state), 0);
    std::vector<fake::ProcessLaunch> launches = fake::ProcessLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].application, kTarget + (is64 ? "\\SONDREL_Setup_x64.exe" : "\\SONDREL_Setup.exe"));
    EXPECT_EQ(launches[0].commandLine, "-h -i -H -n");
    EXPECT_EQ(launches[0].currentFolder, kTarget);
  }
}

TEST_F(InstallTest, EveryToolExitCodeButOneLetsTheInstallFinish) {
  for (int32_t code : {0, 2, -1, 3010}) {
    SCOPED_TRACE(code);
    SetUp();
    fake::processKnobs.exitCode = code;
    EXPECT_EQ(setup::RunInstall(state), 0);
    EXPECT_EQ(fake::PostedCommands().back().code, kSuccess);
  }
  // An exit code that cannot be read stays at its preset -1.
  SetUp();
  fake::processKnobs.exitCodeUnreadable = true;
  EXPECT_EQ(setup::RunInstall(state), 0);
}

TEST_F(InstallTest, ExistingFilesOfAnEarlierInstallAreReplaced) {
  fake::AddFile(kTarget + "\\readme.txt", "old readme");
  fake::AddFile(kTarget + "\\SONDREL_Brevik.exe", "old application");

  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ExtractedFiles(), kEntryCount);
}

TEST_F(InstallTest, WithoutPerUserProgramsOnlyTheAllUsersShortcutsAreMade) {
  fake::ResetRegistry();

  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ShortcutSaves(), (std::vector<std::string>{kCommonPrograms + "\\Kelvane\\Brevik\\Readme.LNK",
                                                       kCommonPrograms + "\\Kelvane\\Brevik\\Brevik.LNK"}));
}

TEST_F(InstallTest, MenuFolderThatCannotBeCreatedSkipsOnlyItsOwnSet) {
  fake::FailCreateFolder(kUserPrograms + "\\Kelvane");

  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ShortcutSaves().size(), 2u);
  EXPECT_EQ(ShortcutSaves()[0], kCommonPrograms + "\\Kelvane\\Brevik\\Readme.LNK");
}

TEST_F(InstallTest, MenuSetWhereKelvaneOrBrevikIsALinkIsSkipped) {
  for (const std::string& linked : {kUserPrograms + "\\Kelvane", kUserPrograms + "\\Kelvane\\Brevik"}) {
    SCOPED_TRACE(linked);
    SetUp();
    fake::AddFolder("C:\\Elsewhere\\Brevik");
    fake::AddFolderLink(linked, "C:\\Elsewhere", false);

    EXPECT_EQ(setup::RunInstall(state), 0);
    // Nothing made at the links' target.
    std::vector<std::string> elsewhere;
    for (const std::string& path : fake::Paths()) {
      if (path.rfind("C:\\Elsewhere", 0) == 0) elsewhere.push_back(path);
    }
    EXPECT_EQ(elsewhere, (std::vector<std::string>{"C:\\Elsewhere", "C:\\Elsewhere\\Brevik"}));
    EXPECT_EQ(ShortcutSaves(), (std::vector<std::string>{kCommonPrograms + "\\Kelvane\\Brevik\\Readme.LNK",
                                                         kCommonPrograms + "\\Kelvane\\Brevik\\Brevik.LNK"}));
    EXPECT_EQ(fake::OpenHeldItems(), 0);
  }
}

TEST_F(InstallTest, PerUserProgramsFolderTooLongForTheMenuFolderIsSkipped) {
  // The menu folder "<programs>\Kelvane\Brevik" must fit 1023 characters.
  const size_t longest = 1023 - std::strlen("\\Kelvane\\Brevik");
  for (size_t length : {longest, longest + 1}) {
    SCOPED_TRACE(length);
    SetUp();
    std::string programs = "C:\\" + std::string(length - 3, 'p');
    SetUserPrograms(programs);

    EXPECT_EQ(setup::RunInstall(state), 0);
    size_t userSaves = 0;
    for (const std::string& path : ShortcutSaves()) userSaves += path.rfind(programs, 0) == 0 ? 1 : 0;
    EXPECT_EQ(userSaves, length == longest ? 2u : 0u);
    EXPECT_EQ(fake::FolderExists(programs + "\\Kelvane\\Brevik"), length == longest);
    EXPECT_EQ(ShortcutSaves().size(), length == longest ? 4u : 2u);
  }
}

TEST_F(InstallTest, ShortcutFailuresDoNotStopTheInstall) {
  fake::shellLinkKnobs.saveFailure = platform::COM_E_FAIL;

  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_TRUE(fake::RegistryKeyExists(kEntryKey));
}

TEST_F(InstallTest, ASecondRunAfterANoHandleResultStartsAfresh) {
  fake::processKnobs.startOutcome = platform::PROCESS_STARTED_WITHOUT_HANDLE;
  ASSERT_EQ(setup::RunInstall(state), -604);
  fake::ResetProcesses();

  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ExtractedFiles(), kEntryCount);
  ASSERT_EQ(fake::PostedCommands().size(), 1u);
  EXPECT_EQ(fake::PostedCommands()[0].code, kSuccess);
}

}  // namespace
}  // namespace procedures_test

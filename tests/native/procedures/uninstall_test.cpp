// The uninstall procedure against the fakes: each result, the closing box,
// what is removed and in which order, and what stays when it cannot go.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/options.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/process.h"
#include "procedure_fixture.h"
#include "setup/uninstall.h"

namespace procedures_test {
namespace {

namespace fake = platform::fake;

const std::string kCaption = "Brevik De-Installation Error";
const std::string kRemovedText =
    "Brevik and Mireline have been removed from the system\nBut YOU MUST RESTART your computer.";
const std::string kRestartText = "RESTART SYSTEM to finish de-installation!";

class UninstallTest : public ProcedureTest {
 protected:
  void SetUp() override {
    ProcedureTest::SetUp();
    SeedInstalledMachine();
    state.busy.store(0);
    state.result = 77;
  }

  bool NothingRemoved() const {
    return ExtractedFiles() == kEntryCount && fake::FileExists(kUninstaller) &&
           fake::FileExists(kUserPrograms + "\\Kelvane\\Brevik\\Brevik.LNK") &&
           fake::FileExists(kCommonPrograms + "\\Kelvane\\Brevik\\Readme.LNK") &&
           fake::RegistryKeyExists(kEntryKey) && fake::RegistryKeyExists(kUserKey) &&
           FileCalls("RemoveFile").empty() && FileCalls("DeleteHeld").empty() && RegistryChanges().empty();
  }

  bool EverythingRemoved() const {
    return !fake::FolderExists(kTarget) && !fake::FolderExists(kUserPrograms + "\\Kelvane\\Brevik") &&
           !fake::FolderExists(kCommonPrograms + "\\Kelvane\\Brevik") && !fake::RegistryKeyExists(kEntryKey) &&
           !fake::RegistryKeyExists(kUserKey);
  }
};

TEST_F(UninstallTest, RemovesEverythingThenAsksForARestart) {
  std::vector<std::string> notes;
  fake::SetCallObserver([&](const std::string& line) {
    if (line.rfind("StartProcess", 0) == 0) notes.push_back(NothingRemoved() ? "tool before removal" : "late");
  });

  EXPECT_EQ(setup::RunUninstall(state), 0);

  EXPECT_EQ(notes, std::vector<std::string>{"tool before removal"});
  EXPECT_TRUE(EverythingRemoved());
  EXPECT_EQ(state.targetFolder[0], '\0');
  EXPECT_STREQ(state.failureCaption, kCaption.c_str());
  EXPECT_EQ(std::string(state.failureText), kPreviousText);
  EXPECT_EQ(std::string(state.statusText), kPreviousText);
  EXPECT_EQ(state.busy.load(), 0);
  EXPECT_EQ(state.result, 77);
  EXPECT_TRUE(fake::PostedCommands().empty());
  EXPECT_EQ(Seam(), (std::vector<std::string>{
                        "StartProcess " + kTarget + "\\SONDREL_Setup.exe | -h -u -H | " + kTarget,
                        "WaitForProcess",
                        "ReadProcessExitCode 0",
                        "CloseProcessHandle",
                        "ShowMessageBox " + kWindowNumber + " 0x1030 REBOOT YOUR SYSTEM | " + kRemovedText,
                    }));
}

TEST_F(UninstallTest, RemovalOrderFollowsTheProcedure) {
  ASSERT_EQ(setup::RunUninstall(state), 0);

  // Files: the 21 package files in table order, then the per-user and the
  // all-users shortcuts ("Brevik" before "Readme"), each menu folder followed
  // by its Kelvane, then what is left in the target folder, the folder and
  // KV: every one deleted through its own handle, opened relative to the
  // held folder.
  std::vector<std::string> removed = FileCalls("DeleteHeld");
  ASSERT_EQ(removed.size(), sample_payload::ENTRY_COUNT + 4u + 4u + 3u);
  for (size_t i = 0; i < sample_payload::ENTRY_COUNT; ++i) EXPECT_EQ(removed[i], kTarget + "\\" + EntryNames()[i]);
  const std::string userMenu = kUserPrograms + "\\Kelvane\\Brevik";
  const std::string commonMenu = kCommonPrograms + "\\Kelvane\\Brevik";
  EXPECT_EQ(std::vector<std::string>(removed.begin() + kEntryCount, removed.end()),
            (std::vector<std::string>{userMenu + "\\Brevik.LNK", userMenu + "\\Readme.LNK", userMenu,
                                      kUserPrograms + "\\Kelvane", commonMenu + "\\Brevik.LNK",
                                      commonMenu + "\\Readme.LNK", commonMenu, kCommonPrograms + "\\Kelvane",
                                      kUninstaller, kTarget, kProgramFiles + "\\KV"}));
  EXPECT_TRUE(FileCalls("RemoveFile").empty());
  EXPECT_TRUE(FileCalls("RemoveFolder").empty());
  EXPECT_FALSE(fake::FolderExists(kProgramFiles + "\\KV"));
  EXPECT_FALSE(fake::FolderExists(kUserPrograms + "\\Kelvane"));
  EXPECT_TRUE(fake::PendingDeletes().empty());
  EXPECT_EQ(fake::OpenHeldItems(), 0);
  // Registry: the uninstall entry, then the per-user key tree.
  EXPECT_EQ(RegistryChanges(), (std::vector<std::string>{"DeleteRegistryKey " + kEntryKey, "DeleteRegistryKey " + kUserKey + "\\Settings",
                                                         "DeleteRegistryKey " + kUserKey}));
}

TEST_F(UninstallTest, ClosingTextFollowsTheToolExitCode) {
  for (int32_t code : {1, 0, 2, -1}) {
    SCOPED_TRACE(code);
    SetUp();
    fake::processKnobs.exitCode = code;
    EXPECT_EQ(setup::RunUninstall(state), 0);
    EXPECT_TRUE(EverythingRemoved());
    std::vector<fake::ShownMessageBox> boxes = fake::ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, kWindow);
    EXPECT_EQ(boxes[0].caption, "REBOOT YOUR SYSTEM");
    EXPECT_EQ(boxes[0].style, 0x1030u);
    EXPECT_EQ(boxes[0].text, code == 1 ? kRestartText : kRemovedText);
  }
}

TEST_F(UninstallTest, HiddenRunShowsNoBox) {
  app::hiddenMode = 1;
  fake::processKnobs.exitCode = 1;

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(EverythingRemoved());
  EXPECT_TRUE(fake::ShownMessageBoxes().empty());
  app::hiddenMode = 0;
}

TEST_F(UninstallTest, DamagedPackageRemovesNothingAndNotifies) {
  fake::SetPackageMissing();

  EXPECT_EQ(setup::RunUninstall(state), -1);
  EXPECT_STREQ(state.failureCaption, kCaption.c_str());
  EXPECT_EQ(std::string(state.failureText),
            "De-Installation package might be corrupted\nthanks to download official package at\nwww.kelvane.com.");
  std::vector<fake::PostedCommand> posted = fake::PostedCommands();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].window, kWindow);
  EXPECT_EQ(posted[0].command, 180);
  EXPECT_EQ(posted[0].code, 127);
  EXPECT_TRUE(fake::ProcessLaunches().empty());
  EXPECT_TRUE(fake::ShownMessageBoxes().empty());
  EXPECT_TRUE(NothingRemoved());
  EXPECT_EQ(state.targetFolder[0], '\0');
}

TEST_F(UninstallTest, ToolThatCannotRunStopsBeforeAnyRemoval) {
  struct Row {
    const char* name;
    int outcome;  // -1: the tool's file deleted by hand
    int32_t result;
  };
  for (const Row& row : {Row{"missing tool", -1, -605}, Row{"not started", platform::PROCESS_NOT_STARTED, -605},
                         Row{"no handle", platform::PROCESS_STARTED_WITHOUT_HANDLE, -604}}) {
    SCOPED_TRACE(row.name);
    SetUp();
    if (row.outcome < 0) {
      platform::RemoveFile((kTarget + "\\SONDREL_Setup.exe").c_str());
      fake::ClearCalls();
    } else {
      fake::processKnobs.startOutcome = row.outcome;
    }

    EXPECT_EQ(setup::RunUninstall(state), row.result);
    EXPECT_EQ(ExtractedFiles(), row.outcome < 0 ? kEntryCount - 1 : kEntryCount);
    EXPECT_TRUE(fake::FileExists(kUninstaller));
    EXPECT_TRUE(fake::RegistryKeyExists(kEntryKey));
    EXPECT_TRUE(fake::RegistryKeyExists(kUserKey));
    EXPECT_TRUE(FileCalls("RemoveFile").empty());
    EXPECT_TRUE(fake::PostedCommands().empty());
    EXPECT_TRUE(fake::ShownMessageBoxes().empty());
    EXPECT_EQ(std::string(state.failureText), kPreviousText);
    EXPECT_EQ(std::string(state.targetFolder), kTarget);
  }
}

TEST_F(UninstallTest, ToolPathFollowsTheHostKind) {
  for (int is64 : {0, 1}) {
    SCOPED_TRACE(is64);
    SetUp();
    state.is64BitHost = is64;
    ASSERT_EQ(setup::RunUninstall(state), 0);
    std::vector<fake::ProcessLaunch> launches = fake::ProcessLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].application, kTarget + (is64 ? "\\SONDREL_Setup_x64.exe" : "\\SONDREL_Setup.exe"));
    EXPECT_EQ(launches[0].commandLine, "-h -u -H");
    EXPECT_EQ(launches[0].currentFolder, kTarget);
  }
}

TEST_F(UninstallTest, WhatCannotBeDeletedStaysAndTheResultIsStillZero) {
  // The program runs from its copy in the target folder, and a package file
  // is read-only; a user's own file in a menu folder goes with the folder.
  fake::SetInUse(kUninstaller);
  fake::SetReadOnly(kTarget + "\\readme.txt");
  fake::AddFile(kCommonPrograms + "\\Kelvane\\Brevik\\notes.txt", "mine");
  fake::AddFile(kUserPrograms + "\\Kelvane\\Other\\Other.LNK", "another product's");
  fake::FailRegistry(fake::RegistryOp::Delete, kEntryKey, platform::REGISTRY_ACCESS_DENIED);

  EXPECT_EQ(setup::RunUninstall(state), 0);

  // Both stay, under names of their own that the restart deletes.
  EXPECT_EQ(fake::FileContent(kUninstaller + ".0.del"), "the setup program");
  EXPECT_TRUE(fake::FileExists(kTarget + "\\readme.txt.0.del"));
  EXPECT_TRUE(fake::FolderExists(kTarget));
  EXPECT_FALSE(fake::FileExists(kTarget + "\\SONDREL_Brevik.exe"));
  EXPECT_FALSE(fake::FolderExists(kCommonPrograms + "\\Kelvane"));
  EXPECT_TRUE(fake::FileExists(kUserPrograms + "\\Kelvane\\Other\\Other.LNK"));
  EXPECT_TRUE(fake::RegistryKeyExists(kEntryKey));
  EXPECT_FALSE(fake::RegistryKeyExists(kUserKey));
  EXPECT_EQ(state.targetFolder[0], '\0');
  EXPECT_EQ(fake::ShownMessageBoxes().size(), 1u);
}

TEST_F(UninstallTest, WhatStaysOfTheProductGoesAtTheRestartAndNothingElse) {
  // Run from the copy in the target folder; a user's file sits beside it, and
  // a renamed copy of an earlier uninstall still waits for its restart.
  state.modulePath[0] = '\0';
  std::strcat(state.modulePath, kUninstaller.c_str());
  fake::SetInUse(kUninstaller);
  fake::AddFile(kUninstaller + ".0.del", "earlier copy");
  fake::SetInUse(kUninstaller + ".0.del");
  fake::AddFile(kTarget + "\\zz-mine.txt", "mine");
  fake::SetReadOnly(kTarget + "\\zz-mine.txt");

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_EQ(fake::FileContent(kUninstaller + ".1.del"), "the setup program");
  EXPECT_EQ(fake::PendingDeletes(),
            (std::vector<std::string>{kUninstaller + ".1.del", kTarget, kProgramFiles + "\\KV"}));
  EXPECT_EQ(fake::OpenHeldItems(), 0);
  fake::Restart();
  EXPECT_FALSE(fake::FileExists(kUninstaller + ".1.del"));
  EXPECT_TRUE(fake::FileExists(kTarget + "\\zz-mine.txt"));  // not empty: the folders stay

  // Alone in KV, the folder and KV go at the restart; a scheduling that
  // fails gives the file its name back.
  for (bool scheduling : {true, false}) {
    SCOPED_TRACE(scheduling);
    SetUp();
    std::strcpy(state.modulePath, kUninstaller.c_str());
    fake::SetInUse(kUninstaller);
    if (!scheduling) fake::FailDeleteAtRestart();
    EXPECT_EQ(setup::RunUninstall(state), 0);
    EXPECT_TRUE(fake::FolderExists(kTarget));
    if (scheduling) {
      EXPECT_EQ(fake::PendingDeletes(),
                (std::vector<std::string>{kUninstaller + ".0.del", kTarget, kProgramFiles + "\\KV"}));
      fake::Restart();
      EXPECT_FALSE(fake::FolderExists(kProgramFiles + "\\KV"));
    } else {
      EXPECT_TRUE(fake::FileExists(kUninstaller));
      EXPECT_TRUE(fake::PendingDeletes().empty());
    }
  }
}

TEST_F(UninstallTest, LinksInTheMenuOrTargetFoldersAreNeverFollowed) {
  // The per-user Programs menu's Kelvane is a link to a folder of someone
  // else's files, laid out as the menu would be.
  const std::string elsewhere = "C:\\Users\\other\\Documents";
  fake::AddFile(elsewhere + "\\Brevik\\Readme.LNK", "other's");
  fake::AddFile(elsewhere + "\\Brevik\\Brevik.LNK", "other's");
  fake::AddFile(elsewhere + "\\keep.txt", "other's");
  const std::string linkedMenu = "C:\\users\\linked\\Programs";
  fake::AddFolderLink(linkedMenu + "\\Kelvane", elsewhere, true);
  SetUserPrograms(linkedMenu);

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(fake::LinkExists(linkedMenu + "\\Kelvane"));
  EXPECT_TRUE(fake::FileExists(elsewhere + "\\Brevik\\Readme.LNK"));
  EXPECT_TRUE(fake::FileExists(elsewhere + "\\keep.txt"));

  // A link in the menu folder that the system will not remove (Wine) is
  // passed over, the rest goes, and the menu folder stays with the link alone.
  SetUp();
  fake::AddFile(elsewhere + "\\keep.txt", "other's");
  fake::AddFolderLink(kUserPrograms + "\\Kelvane\\Brevik\\a-planted", elsewhere, false);
  fake::AddFile(kUserPrograms + "\\Kelvane\\Brevik\\z-notes.txt", "mine");
  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(fake::FileExists(elsewhere + "\\keep.txt"));
  EXPECT_TRUE(fake::LinkExists(kUserPrograms + "\\Kelvane\\Brevik\\a-planted"));
  EXPECT_FALSE(fake::FileExists(kUserPrograms + "\\Kelvane\\Brevik\\z-notes.txt"));
  EXPECT_FALSE(fake::FolderExists(kTarget));
  EXPECT_EQ(fake::OpenHeldItems(), 0);

  // KV itself a link: nothing below it is deleted.
  SetUp();
  const std::string realKv = "C:\\Data\\KV";
  for (const std::string& name : EntryNames()) fake::AddFile(realKv + "\\Brevik\\" + name, EntryContent(name));
  platform::RemoveFile(kUninstaller.c_str());
  for (const std::string& name : EntryNames()) platform::RemoveFile((kTarget + "\\" + name).c_str());
  platform::RemoveFolder(kTarget.c_str());
  platform::RemoveFolder((kProgramFiles + "\\KV").c_str());
  fake::AddFolderLink(kProgramFiles + "\\KV", realKv, true);
  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_EQ(ExtractedFiles(), kEntryCount);
}

TEST_F(UninstallTest, MissingEntryAndUserKeyChangeNothing) {
  fake::ResetRegistry();
  SetUserPrograms(kUserPrograms);

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(RegistryChanges().empty());
  EXPECT_FALSE(fake::FolderExists(kTarget));
}

TEST_F(UninstallTest, WithoutPerUserProgramsOnlyTheAllUsersMenuIsCleaned) {
  fake::ResetRegistry();

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(fake::FileExists(kUserPrograms + "\\Kelvane\\Brevik\\Readme.LNK"));
  EXPECT_FALSE(fake::FolderExists(kCommonPrograms + "\\Kelvane\\Brevik"));
}

TEST_F(UninstallTest, PerUserProgramsWithoutAnExactFormLeavesItsBestFitNeighbour) {
  // The user's own menu is "C:\Users\Łukasz\Menu"; the ANSI reading names
  // another user's.
  const std::string neighbour = "C:\\Users\\Lukasz\\Menu";
  fake::AddFile(neighbour + "\\Kelvane\\Brevik\\Readme.LNK", "another user's link");
  fake::PutRegistryInexactText(kShellFoldersKey, "Programs", neighbour);

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(fake::FileExists(neighbour + "\\Kelvane\\Brevik\\Readme.LNK"));
  for (const std::string& path : FileCalls("RemoveFile")) EXPECT_NE(path.rfind(neighbour, 0), 0u) << path;
  EXPECT_FALSE(fake::FolderExists(kCommonPrograms + "\\Kelvane\\Brevik"));
}

TEST_F(UninstallTest, PerUserProgramsFolderTooLongForTheMenuFolderIsSkipped) {
  const std::string programs = "C:\\" + std::string(1023 - std::strlen("\\Kelvane\\Brevik") - 2, 'p');
  fake::AddFile(programs + "\\Kelvane\\Brevik\\Readme.LNK", "link");
  SetUserPrograms(programs);

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(fake::FileExists(programs + "\\Kelvane\\Brevik\\Readme.LNK"));
  for (const std::string& path : FileCalls("RemoveFile")) EXPECT_NE(path.rfind(programs, 0), 0u) << path;
  EXPECT_FALSE(fake::FolderExists(kCommonPrograms + "\\Kelvane\\Brevik"));
}

}  // namespace
}  // namespace procedures_test

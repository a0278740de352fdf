// Programs-menu shortcuts against the recording shell link object and the
// in-memory file system: the order and values of the settings, the shortcut
// file path, every failure path releasing what it obtained, long paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_shell_link.h"
#include "setup/shortcuts.h"

namespace {

namespace fake = platform::fake;
using Log = std::vector<std::string>;

// The paths handed to the saves, in order.
Log SavedPaths() {
  const std::string prefix = "SavePersistFile ";
  Log paths;
  for (const std::string& line : fake::ShellLinkLog()) {
    if (line.compare(0, prefix.size(), prefix) == 0) paths.push_back(line.substr(prefix.size()));
  }
  return paths;
}

class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::AddFolder("C:\\Menu");
  }
  // Whatever happened, every reference obtained has been released once.
  void TearDown() override {
    EXPECT_EQ(fake::LiveShellLinkReferences(), 0u);
    EXPECT_EQ(fake::BadShellLinkReleaseCount(), 0u);
  }
};

TEST_F(ShortcutsTest, HandsTheFourSettingsToTheLinkInOrderAndSaves) {
  EXPECT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", "C:\\Menu", "Brevik", nullptr),
            platform::COM_S_OK);
  EXPECT_EQ(fake::ShellLinkLog(), (Log{
                                      "CreateShellLink",
                                      "SetShellLinkPath C:\\Dir\\App.exe",
                                      "SetShellLinkDescription Brevik",
                                      "SetShellLinkArguments (null)",
                                      "SetShellLinkWorkingDirectory C:\\Dir",
                                      "QueryShellLinkPersistFile",
                                      "SavePersistFile C:\\Menu\\Brevik.LNK",
                                      "ReleasePersistFile",
                                      "ReleaseShellLink",
                                  }));
  EXPECT_TRUE(fake::FileExists("C:\\Menu\\Brevik.LNK"));
}

TEST_F(ShortcutsTest, SettingsFollowTargetNameAndArguments) {
  struct Case {
    const char* target;
    const char* arguments;
    const char* workingFolder;
  };
  for (Case c : {Case{"C:\\Program Files\\KV\\Brevik\\readme.txt", "", "C:\\Program Files\\KV\\Brevik"},
                 Case{"C:\\Dir\\App.exe", "-x \"y\"", "C:\\Dir"},
                 Case{"App.exe", nullptr, "App.exe"},
                 Case{"\\App.exe", nullptr, ""}}) {
    ASSERT_EQ(setup::CreateShortcut(c.target, "C:\\Menu", "Readme", c.arguments), platform::COM_S_OK)
        << c.target;
    const fake::SavedShortcut& saved = fake::SavedShortcuts().at("C:\\Menu\\Readme.LNK");
    EXPECT_EQ(saved.targetPath, c.target);
    EXPECT_EQ(saved.description, "Readme");
    EXPECT_EQ(saved.arguments, c.arguments == nullptr ? "(null)" : c.arguments);
    EXPECT_EQ(saved.workingDirectory, c.workingFolder) << c.target;
  }
  // Each save replaced the one before.
  EXPECT_EQ(fake::SavedShortcuts().size(), 1u);
}

TEST_F(ShortcutsTest, FolderWithTrailingBackslashGivesTheSamePath) {
  ASSERT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", "C:\\Menu\\", "Brevik", nullptr),
            platform::COM_S_OK);
  EXPECT_EQ(SavedPaths(), (Log{"C:\\Menu\\Brevik.LNK"}));
}

TEST_F(ShortcutsTest, EachFailingCallDecidesTheResultAndReleasesWhatWasObtained) {
  fake::shellLinkKnobs.createFailure = platform::COM_CO_E_NOTINITIALIZED;
  EXPECT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", "C:\\Menu", "Brevik", nullptr),
            platform::COM_CO_E_NOTINITIALIZED);
  EXPECT_EQ(fake::ShellLinkLog(), (Log{"CreateShellLink"}));

  fake::ResetShellLink();
  fake::shellLinkKnobs.queryFailure = platform::COM_E_NOINTERFACE;
  EXPECT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", "C:\\Menu", "Brevik", nullptr),
            platform::COM_E_NOINTERFACE);
  Log log = fake::ShellLinkLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "QueryShellLinkPersistFile");
  EXPECT_EQ(log.back(), "ReleaseShellLink");

  fake::ResetShellLink();
  fake::shellLinkKnobs.saveFailure = platform::COM_E_FAIL;
  EXPECT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", "C:\\Menu", "Brevik", nullptr),
            platform::COM_E_FAIL);
  log = fake::ShellLinkLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "SavePersistFile C:\\Menu\\Brevik.LNK");
  EXPECT_EQ(log[log.size() - 2], "ReleasePersistFile");
  EXPECT_EQ(log.back(), "ReleaseShellLink");

  EXPECT_FALSE(fake::FileExists("C:\\Menu\\Brevik.LNK"));
}

TEST_F(ShortcutsTest, PathsThatDoNotFitTheAreaAreRefusedBeforeAnyObjectIsMade) {
  // Folder + "\" + name + ".LNK" must leave room for the terminator in 2048.
  const std::string folder = "C:\\" + std::string(2048 - 3 - 1 - 1 - 4 - 1, 'f');
  fake::AddFolder(folder);
  EXPECT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", folder.c_str(), "AB", nullptr),
            platform::COM_E_FILENAME_TOO_LONG);
  EXPECT_TRUE(fake::ShellLinkLog().empty());
  // One character less fits exactly.
  EXPECT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", folder.c_str(), "A", nullptr),
            platform::COM_S_OK);
  EXPECT_TRUE(fake::FileExists(folder + "\\A.LNK"));

  fake::ResetShellLink();
  // A target of 2048 characters leaves no room for the terminator.
  const std::string target = "C:\\" + std::string(2045, 't');
  EXPECT_EQ(setup::CreateShortcut(target.c_str(), "C:\\Menu", "A", nullptr),
            platform::COM_E_FILENAME_TOO_LONG);
  EXPECT_TRUE(fake::ShellLinkLog().empty());
  const std::string fits = target.substr(0, target.size() - 1);
  EXPECT_EQ(setup::CreateShortcut(fits.c_str(), "C:\\Menu", "A", nullptr), platform::COM_S_OK);

  fake::ClearCalls();
  EXPECT_EQ(setup::DeleteShortcut(folder.c_str(), "AB"), 0);
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());
}

TEST_F(ShortcutsTest, DeleteRemovesExactlyTheShortcutFile) {
  fake::AddFile("C:\\Menu\\Readme.LNK", "link");
  fake::AddFile("C:\\Menu\\Readme.txt", "text");
  fake::AddFile("C:\\Menu\\Brevik.LNK", "link");

  EXPECT_NE(setup::DeleteShortcut("C:\\Menu\\", "Readme"), 0);
  EXPECT_EQ(fake::CallsOf("OpenHeldFile"), (Log{"C:\\Menu | Readme.LNK"}));
  EXPECT_EQ(fake::CallsOf("DeleteHeld"), (Log{"C:\\Menu\\Readme.LNK"}));
  EXPECT_FALSE(fake::FileExists("C:\\Menu\\Readme.LNK"));
  EXPECT_TRUE(fake::FileExists("C:\\Menu\\Readme.txt"));
  EXPECT_TRUE(fake::FileExists("C:\\Menu\\Brevik.LNK"));

  // Gone already: 0, nothing else changes.
  EXPECT_EQ(setup::DeleteShortcut("C:\\Menu", "Readme"), 0);
  EXPECT_TRUE(fake::FileExists("C:\\Menu\\Brevik.LNK"));
}

TEST_F(ShortcutsTest, CreatedShortcutIsTheFileDeleteRemoves) {
  ASSERT_EQ(setup::CreateShortcut("C:\\Dir\\App.exe", "C:\\Menu", "Brevik", nullptr),
            platform::COM_S_OK);
  EXPECT_NE(setup::DeleteShortcut("C:\\Menu", "Brevik"), 0);
  EXPECT_FALSE(fake::FileExists("C:\\Menu\\Brevik.LNK"));
}

}  // namespace

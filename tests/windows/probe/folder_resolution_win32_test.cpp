// Folder resolution against the prefix's real special folders.
#include "probe/folder_resolution.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/windows/platform/win_test_support.h"

namespace {

// What a 32-bit program is told: under WoW64 the 32-bit program-files folder.
std::string ExpectedProgramFiles() {
  return win_test::UnderWow64() ? "C:\\Program Files (x86)" : "C:\\Program Files";
}

TEST(FolderResolutionWin32Test, SpecialFoldersAreThePrefixFolders) {
  probe::SpecialFolders folders{};
  probe::ResolveSpecialFolders(folders);
  EXPECT_TRUE(win_test::SamePathIgnoringCase(
      folders.commonProgramsFolder, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"))
      << folders.commonProgramsFolder;
  EXPECT_TRUE(win_test::SamePathIgnoringCase(folders.programFiles, ExpectedProgramFiles()))
      << folders.programFiles;
  EXPECT_TRUE(win_test::SamePathIgnoringCase(folders.commonAppData, "C:\\ProgramData"))
      << folders.commonAppData;
  EXPECT_TRUE(win_test::IsFolder(folders.commonProgramsFolder));
  EXPECT_TRUE(win_test::IsFolder(folders.personal));
  EXPECT_TRUE(win_test::IsFolder(folders.startup));

  probe::InitSpecialFolders();
  EXPECT_STREQ(probe::GetCommonProgramsFolder(), folders.commonProgramsFolder);
}

TEST(FolderResolutionWin32Test, TargetFolderIsUnderTheProgramFilesFolder) {
  auto state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  EXPECT_EQ(probe::ResolveTargetFolder(*state, "KV\\Brevik"), probe::RESOLVE_OK);
  EXPECT_TRUE(win_test::SamePathIgnoringCase(state->targetFolder,
                                             ExpectedProgramFiles() + "\\KV\\Brevik"))
      << state->targetFolder;
}

}  // namespace

// Folder trees on the real file system: creation from the root outwards, and
// deletion with its stops at files that cannot be deleted.
#include "setup/folder_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/windows/platform/win_test_support.h"

namespace {

using win_test::Exists;
using win_test::IsFolder;

TEST(FolderTreeWin32Test, CreatesEveryMissingFolder) {
  win_test::TempFolder folder;
  const std::string deep = folder / "A\\B\\C";
  EXPECT_EQ(setup::CreateFolderTree(deep.c_str()), 1);
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_EQ(setup::CreateFolderTree(deep.c_str()), 1);

  const std::string trailing = folder / "D\\E\\";
  EXPECT_EQ(setup::CreateFolderTree(trailing.c_str()), 1);
  EXPECT_TRUE(IsFolder(folder / "D\\E"));
}

TEST(FolderTreeWin32Test, FileInTheWayFailsTheTree) {
  win_test::TempFolder folder;
  ASSERT_TRUE(win_test::WriteFile(folder / "A", "a file"));
  const std::string deep = folder / "A\\B";
  EXPECT_EQ(setup::CreateFolderTree(deep.c_str()), 0);
  EXPECT_FALSE(Exists(deep));
}

TEST(FolderTreeWin32Test, DeletesFilesFoldersAndDotFilesButNotDotFolders) {
  win_test::TempFolder folder;
  const std::string tree = folder / "T";
  ASSERT_EQ(setup::CreateFolderTree((tree + "\\sub\\deeper").c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(tree + "\\a.txt", "a"));
  ASSERT_TRUE(win_test::WriteFile(tree + "\\.profile", "p"));
  ASSERT_TRUE(win_test::WriteFile(tree + "\\sub\\deeper\\x.bin", "x"));
  EXPECT_EQ(setup::DeleteFolderTree(tree.c_str()), 1);
  EXPECT_FALSE(Exists(tree));

  ASSERT_EQ(setup::CreateFolderTree((tree + "\\.keep").c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(tree + "\\b.txt", "b"));
  setup::DeleteFolderTree((tree + "\\").c_str());
  EXPECT_TRUE(IsFolder(tree + "\\.keep"));
  EXPECT_FALSE(Exists(tree + "\\b.txt"));

  EXPECT_EQ(setup::DeleteFolderTree((folder / "missing").c_str()), 1);
}

TEST(FolderTreeWin32Test, ReadOnlyFileStopsTheWalkOfItsFolder) {
  win_test::TempFolder folder;
  const std::string tree = folder / "T";
  ASSERT_EQ(setup::CreateFolderTree(tree.c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(tree + "\\a.txt", "read-only"));
  ASSERT_TRUE(win_test::WriteFile(tree + "\\b.txt", "b"));
  ASSERT_TRUE(SetFileAttributesA((tree + "\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  setup::DeleteFolderTree(tree.c_str());
  EXPECT_TRUE(Exists(tree + "\\a.txt"));
  EXPECT_TRUE(IsFolder(tree));
}

TEST(FolderTreeWin32Test, FileInUseStopsTheWalkAndItsSubFolderEndsTheParentWalk) {
  win_test::TempFolder folder;
  const std::string tree = folder / "T";
  ASSERT_EQ(setup::CreateFolderTree((tree + "\\a").c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(tree + "\\a\\running.exe", "in use"));
  ASSERT_TRUE(win_test::WriteFile(tree + "\\z.txt", "z"));
  {
    win_test::HeldFile held(tree + "\\a\\running.exe");
    ASSERT_TRUE(held.IsOpen());
    EXPECT_EQ(setup::DeleteFolderTree(tree.c_str()), 1);  // returns: no endless walk
    EXPECT_TRUE(Exists(tree + "\\a\\running.exe"));
    EXPECT_TRUE(IsFolder(tree));
  }
  setup::DeleteFolderTree(tree.c_str());
  EXPECT_FALSE(Exists(tree));
}

}  // namespace

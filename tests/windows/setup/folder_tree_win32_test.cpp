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

TEST(FolderTreeWin32Test, EntriesWithoutAnExactAnsiNameGoWithTheTreeAndNothingBeside) {
  // Inside T, a folder and a file whose best-fit ANSI names lead out of T
  // into Victim ("x\\..\\..\\Victim"): the walk deletes them by their own
  // names; Victim keeps its files.
  win_test::TempFolder folder;
  const std::string tree = folder / "T";
  ASSERT_EQ(setup::CreateFolderTree((tree + "\\a").c_str()), 1);
  ASSERT_EQ(setup::CreateFolderTree((folder / "Victim").c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(folder / "Victim\\keep.txt", "victim's"));
  ASSERT_TRUE(win_test::WriteFile(tree + "\\a\\inner.txt", "a"));
  const std::wstring wideTree(tree.begin(), tree.end());
  const std::wstring bait = L"x\xFF3C..\xFF3C..\xFF3CVictim";
  ASSERT_TRUE(CreateDirectoryW((wideTree + L"\\" + bait).c_str(), nullptr));
  for (const std::wstring& name :
       {wideTree + L"\\" + bait + L"\\keep.txt", wideTree + L"\\y\xFF3C..\xFF3CVictim\xFF3Ckeep.txt"}) {
    HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  EXPECT_EQ(setup::DeleteFolderTree(tree.c_str()), 1);
  EXPECT_FALSE(Exists(tree));
  EXPECT_EQ(win_test::ReadFile(folder / "Victim\\keep.txt"), "victim's");
}

TEST(FolderTreeWin32Test, HeldPairIsRemovedThroughItsHandles) {
  win_test::TempFolder folder;
  const std::string menu = folder / "Kelvane\\Brevik";
  setup::FolderPair pair;
  ASSERT_EQ(setup::HoldFolderPair(menu.c_str(), 1, pair), setup::FOLDER_PAIR_HELD);
  ASSERT_TRUE(IsFolder(menu));
  ASSERT_TRUE(win_test::WriteFile(menu + "\\Readme.LNK", "r"));
  ASSERT_TRUE(win_test::WriteFile(menu + "\\user.txt", "u"));
  // Held: neither can be renamed away while the work goes on.
  EXPECT_FALSE(MoveFileA((folder / "Kelvane").c_str(), (folder / "Moved").c_str()));
  EXPECT_FALSE(MoveFileA(menu.c_str(), (folder / "Kelvane\\Moved").c_str()));
  setup::RemoveFolderPair(menu.c_str(), pair);
  EXPECT_FALSE(Exists(folder / "Kelvane"));

  // A file where the folder's parent should be: left alone, and said so.
  ASSERT_TRUE(win_test::WriteFile(folder / "KV", "a file"));
  EXPECT_EQ(setup::HoldFolderPair((folder / "KV\\Brevik").c_str(), 1, pair), setup::FOLDER_PAIR_FILE);
  EXPECT_EQ(setup::HoldFolderPair((folder / "KV\\Brevik").c_str(), 0, pair), setup::FOLDER_PAIR_FILE);
  ASSERT_TRUE(CreateDirectoryA((folder / "KW").c_str(), nullptr));
  ASSERT_TRUE(win_test::WriteFile(folder / "KW\\Brevik", "a file"));
  EXPECT_EQ(setup::HoldFolderPair((folder / "KW\\Brevik").c_str(), 1, pair), setup::FOLDER_PAIR_FILE);
  EXPECT_EQ(win_test::ReadFile(folder / "KW\\Brevik"), "a file");
}

}  // namespace

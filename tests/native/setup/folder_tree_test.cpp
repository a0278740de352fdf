// Folder-tree helpers: which folders CreateFolderTree creates and in what
// order, what DeleteFolderTree removes, where it stops, and the two
// component cuts.
#include "setup/folder_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;
namespace fake = platform::fake;

class CreateFolderTreeTest : public ::testing::Test {};

TEST_F(CreateFolderTreeTest, ShortAbsentOrOverlongPathsAreRefused) {
  EXPECT_EQ(setup::CreateFolderTree(nullptr), 0);
  EXPECT_EQ(setup::CreateFolderTree(""), 0);
  EXPECT_EQ(setup::CreateFolderTree("C:\\A"), 0);
  const std::string overlong = "C:\\" + std::string(1021, 'x');  // 1024 characters
  EXPECT_EQ(setup::CreateFolderTree(overlong.c_str()), 0);
  EXPECT_TRUE(fake::CallsOf("CreateFolder").empty());

  const std::string longest = "C:\\" + std::string(1020, 'x');  // 1023 characters
  EXPECT_EQ(setup::CreateFolderTree(longest.c_str()), 1);
  EXPECT_TRUE(fake::FolderExists(longest));
}

TEST_F(CreateFolderTreeTest, CreatesFromTheRootOutwards) {
  EXPECT_EQ(setup::CreateFolderTree("C:\\AB"), 1);
  EXPECT_EQ(fake::CallsOf("CreateFolder"), (Calls{"C:\\AB"}));

  fake::ClearCalls();
  EXPECT_EQ(setup::CreateFolderTree("C:\\A\\B\\C"), 1);
  EXPECT_EQ(fake::CallsOf("CreateFolder"), (Calls{"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}));
  EXPECT_TRUE(fake::FolderExists("C:\\A\\B\\C"));

  // Existing folders cost one attempt each and are no failure.
  fake::ClearCalls();
  EXPECT_EQ(setup::CreateFolderTree("C:\\A\\B\\C"), 1);
  EXPECT_EQ(fake::CallsOf("CreateFolder").size(), 3u);
}

TEST_F(CreateFolderTreeTest, TrailingBackslashMakesNoAttemptForAnEmptyComponent) {
  EXPECT_EQ(setup::CreateFolderTree("C:\\A\\B\\"), 1);
  EXPECT_EQ(fake::CallsOf("CreateFolder"), (Calls{"C:\\A", "C:\\A\\B"}));
}

TEST_F(CreateFolderTreeTest, RootsAreNeverCreated) {
  EXPECT_EQ(setup::CreateFolderTree("\\\\server\\share"), 1);
  EXPECT_EQ(setup::CreateFolderTree("\\\\server\\share\\"), 1);
  EXPECT_EQ(setup::CreateFolderTree("C:abcdef"), 1);
  EXPECT_TRUE(fake::CallsOf("CreateFolder").empty());

  EXPECT_EQ(setup::CreateFolderTree("\\\\server\\share\\dir\\sub"), 1);
  EXPECT_EQ(fake::CallsOf("CreateFolder"),
            (Calls{"\\\\server\\share\\dir", "\\\\server\\share\\dir\\sub"}));

  // Without a drive, the first component is the root.
  fake::AddFolder("abc");
  fake::ClearCalls();
  EXPECT_EQ(setup::CreateFolderTree("abc\\def"), 1);
  EXPECT_EQ(fake::CallsOf("CreateFolder"), (Calls{"abc\\def"}));
}

TEST_F(CreateFolderTreeTest, FailureStopsAtTheFailingComponent) {
  fake::FailCreateFolder("C:\\A");
  EXPECT_EQ(setup::CreateFolderTree("C:\\A\\B\\C"), 0);
  EXPECT_EQ(fake::CallsOf("CreateFolder"), (Calls{"C:\\A"}));

  fake::Reset();
  fake::FailCreateFolder("C:\\A\\B\\C");
  EXPECT_EQ(setup::CreateFolderTree("C:\\A\\B\\C"), 0);
  // Folders made before the failure stay.
  EXPECT_TRUE(fake::FolderExists("C:\\A\\B"));
}

TEST_F(CreateFolderTreeTest, CallerTextIsNotChanged) {
  const char path[] = "C:\\A\\B\\C";
  char copy[sizeof path];
  std::memcpy(copy, path, sizeof path);
  setup::CreateFolderTree(copy);
  EXPECT_STREQ(copy, path);
}

class DeleteFolderTreeTest : public ::testing::Test {};

TEST_F(DeleteFolderTreeTest, DeletesEverythingRestartingAfterEachDeletion) {
  fake::AddFile("C:\\T\\a.txt", "a");
  fake::AddFile("C:\\T\\b.txt", "b");
  fake::AddFile("C:\\T\\s\\x.bin", "x");
  fake::AddFile("C:\\Keep\\k.txt", "k");

  EXPECT_EQ(setup::DeleteFolderTree("C:\\T"), 1);
  EXPECT_FALSE(fake::FolderExists("C:\\T"));
  EXPECT_EQ(fake::Paths(), (Calls{"C:\\Keep", "C:\\Keep\\k.txt"}));
  // Every deletion goes through the entry's own handle, every listing
  // through the held folder's.
  EXPECT_EQ(fake::CallsOf("DeleteHeld"),
            (Calls{"C:\\T\\a.txt", "C:\\T\\b.txt", "C:\\T\\s\\x.bin", "C:\\T\\s", "C:\\T"}));
  EXPECT_EQ(fake::CallsOf("ListHeld"),
            (Calls{"C:\\T", "C:\\T", "C:\\T", "C:\\T\\s", "C:\\T\\s", "C:\\T"}));
  EXPECT_EQ(fake::CallsOf("OpenHeldEntry"),
            (Calls{"C:\\T | a.txt", "C:\\T | b.txt", "C:\\T | s", "C:\\T\\s | x.bin"}));
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());
  EXPECT_TRUE(fake::CallsOf("OpenFolderListing").empty());
  EXPECT_EQ(fake::OpenHeldItems(), 0);
}

TEST_F(DeleteFolderTreeTest, UndeletableFileEndsTheWalkOfItsFolder) {
  fake::AddFile("C:\\T\\a.exe", "running");
  fake::AddFile("C:\\T\\b.txt", "b");
  fake::SetInUse("C:\\T\\a.exe");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_EQ(fake::CallsOf("DeleteHeld"), (Calls{"C:\\T\\a.exe", "C:\\T"}));
  EXPECT_TRUE(fake::FileExists("C:\\T\\b.txt"));
  EXPECT_TRUE(fake::FolderExists("C:\\T"));

  fake::Reset();
  fake::AddFile("C:\\T\\a.txt", "read-only");
  fake::AddFile("C:\\T\\b.txt", "b");
  fake::SetReadOnly("C:\\T\\a.txt");
  setup::DeleteFolderTree("C:\\T\\");
  EXPECT_TRUE(fake::FileExists("C:\\T\\b.txt"));
  EXPECT_EQ(fake::OpenListings(), 0);
}

TEST_F(DeleteFolderTreeTest, FileWhoseDeletionIsPendingEndsTheWalkInsteadOfLooping) {
  // The delete reports success and the file is listed first again: one
  // attempt, then the walk of that folder ends, as for an undeletable file.
  fake::AddFile("C:\\T\\a.dll", "held");
  fake::AddFile("C:\\T\\b.txt", "b");
  fake::AddFile("C:\\T\\s\\held.txt", "held");
  fake::SetDeletePending("C:\\T\\a.dll");
  fake::SetDeletePending("C:\\T\\s\\held.txt");
  EXPECT_EQ(setup::DeleteFolderTree("C:\\T"), 1);
  EXPECT_EQ(fake::CallsOf("DeleteHeld"), (Calls{"C:\\T\\a.dll", "C:\\T"}));
  EXPECT_TRUE(fake::FileExists("C:\\T\\b.txt"));

  fake::Reset();
  fake::AddFile("C:\\T\\s\\held.txt", "held");
  fake::AddFile("C:\\T\\z.txt", "z");
  fake::SetDeletePending("C:\\T\\s\\held.txt");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_EQ(fake::CallsOf("DeleteHeld"), (Calls{"C:\\T\\s\\held.txt", "C:\\T\\s", "C:\\T"}));
  EXPECT_TRUE(fake::FileExists("C:\\T\\z.txt"));
  EXPECT_EQ(fake::OpenListings(), 0);
}

TEST_F(DeleteFolderTreeTest, SubFolderThatStaysEndsTheWalkInsteadOfLooping) {
  // One sub-folder holds a file in use, another cannot be removed though
  // empty, a third keeps a dot-folder; each is listed first on every restart.
  fake::AddFile("C:\\T\\a\\in-use.dll", "x");
  fake::SetInUse("C:\\T\\a\\in-use.dll");
  fake::AddFile("C:\\T\\z.txt", "z");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_TRUE(fake::FileExists("C:\\T\\z.txt"));
  EXPECT_EQ(fake::CallsOf("ListHeld"), (Calls{"C:\\T", "C:\\T\\a"}));

  fake::Reset();
  fake::AddFolder("C:\\T\\a");
  fake::FailRemoveFolder("C:\\T\\a");
  fake::AddFile("C:\\T\\z.txt", "z");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_TRUE(fake::FolderExists("C:\\T\\a"));
  EXPECT_TRUE(fake::FileExists("C:\\T\\z.txt"));

  fake::Reset();
  fake::AddFolder("C:\\T\\a\\.git");
  fake::AddFile("C:\\T\\z.txt", "z");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_TRUE(fake::FolderExists("C:\\T\\a\\.git"));
  EXPECT_TRUE(fake::FileExists("C:\\T\\z.txt"));
  EXPECT_EQ(fake::OpenListings(), 0);
}

TEST_F(DeleteFolderTreeTest, LinksAreRemovedAsLinksOrPassedOverNeverEntered) {
  // Two links the system will not remove (as under Wine) among files, and
  // one it removes (as on Windows); each names a folder of other files.
  fake::AddFile("C:\\Other\\o.txt", "o");
  fake::AddFile("C:\\T\\a.txt", "a");
  fake::AddFolderLink("C:\\T\\b-stuck", "C:\\Other", false);
  fake::AddFile("C:\\T\\c.txt", "c");
  fake::AddFolderLink("C:\\T\\d-stuck", "C:\\Other", false);
  fake::AddFolderLink("C:\\T\\e-goes", "C:\\Other", true);
  fake::AddFile("C:\\T\\f.txt", "f");
  EXPECT_EQ(setup::DeleteFolderTree("C:\\T"), 1);
  EXPECT_TRUE(fake::FileExists("C:\\Other\\o.txt"));
  EXPECT_EQ(fake::CallsOf("DeleteHeld"),
            (Calls{"C:\\T\\a.txt", "C:\\T\\b-stuck", "C:\\T\\c.txt", "C:\\T\\d-stuck",
                   "C:\\T\\e-goes", "C:\\T\\f.txt", "C:\\T"}));
  EXPECT_TRUE(fake::LinkExists("C:\\T\\d-stuck"));
  EXPECT_FALSE(fake::LinkExists("C:\\T\\e-goes"));
  EXPECT_EQ(fake::OpenHeldItems(), 0);
  EXPECT_EQ(fake::OpenListings(), 0);

  // A link whose deletion is taken but carried out never (Wine, through a
  // handle) is listed again: passed over, and the walk goes on.
  fake::Reset();
  fake::AddFile("C:\\Other\\o.txt", "o");
  fake::AddFolderLink("C:\\T\\a-kept", "C:\\Other", true);
  fake::SetDeletePending("C:\\T\\a-kept");
  fake::AddFile("C:\\T\\b.txt", "b");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_TRUE(fake::LinkExists("C:\\T\\a-kept"));
  EXPECT_FALSE(fake::FileExists("C:\\T\\b.txt"));
  EXPECT_TRUE(fake::FileExists("C:\\Other\\o.txt"));

  // The folder given is itself a link: only the link can go.
  for (bool removable : {false, true}) {
    fake::Reset();
    fake::AddFile("C:\\Other\\o.txt", "o");
    fake::AddFolderLink("C:\\M\\Brevik", "C:\\Other", removable);
    setup::DeleteFolderTree("C:\\M\\Brevik");
    EXPECT_TRUE(fake::FileExists("C:\\Other\\o.txt"));
    EXPECT_EQ(fake::LinkExists("C:\\M\\Brevik"), !removable);
    EXPECT_TRUE(fake::CallsOf("OpenFolderListing").empty());
  }
}

TEST_F(DeleteFolderTreeTest, DotFoldersStayDotFilesGo) {
  fake::AddFile("C:\\T\\.hidden\\inside.txt", "i");
  fake::AddFile("C:\\T\\.profile", "p");
  fake::AddFile("C:\\T\\x.txt", "x");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_EQ(fake::Paths(), (Calls{"C:\\T", "C:\\T\\.hidden", "C:\\T\\.hidden\\inside.txt"}));
  EXPECT_EQ(fake::CallsOf("DeleteHeld"), (Calls{"C:\\T\\.profile", "C:\\T\\x.txt", "C:\\T"}));
}

TEST_F(DeleteFolderTreeTest, MissingUnlistableOrEmptyNameChangesNothing) {
  fake::AddFile("C:\\Other\\f.txt", "f");
  EXPECT_EQ(setup::DeleteFolderTree("C:\\Missing"), 1);
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());

  fake::FailListing("C:\\Other");
  EXPECT_EQ(setup::DeleteFolderTree("C:\\Other"), 1);
  EXPECT_TRUE(fake::FileExists("C:\\Other\\f.txt"));

  // An empty text would name the root of the current drive.
  fake::AddFile("\\root.txt", "r");
  fake::ClearCalls();
  EXPECT_EQ(setup::DeleteFolderTree(""), 1);
  EXPECT_EQ(setup::DeleteFolderTree(nullptr), 1);
  EXPECT_TRUE(fake::Calls().empty());
}

TEST_F(DeleteFolderTreeTest, EntryPathThatDoesNotFitIsNotTouched) {
  // Folder 2040 characters; "\" + 6-character name gives 2047 (fits), a
  // 7-character name 2048 (does not).
  const std::string folder = "C:\\" + std::string(2037, 'd');
  fake::AddFile(folder + "\\abcdef", "fits");
  setup::DeleteFolderTree(folder.c_str());
  EXPECT_FALSE(fake::FolderExists(folder));

  fake::Reset();
  fake::AddFile(folder + "\\abcdefg", "too long");
  setup::DeleteFolderTree(folder.c_str());
  EXPECT_TRUE(fake::FileExists(folder + "\\abcdefg"));
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());
}

// What a user of the same machine can do to a folder the walk holds: swap
// it for a link, hold it without sharing, name an entry so that its best-fit
// ANSI form reads as a path elsewhere.
class HeldWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();  // tests run it again for a second case
    for (const char* name : {"v1.txt", "v2.txt", "v3.txt"}) {
      fake::AddFile(std::string(kVictim) + "\\" + name, "v");
    }
  }
  void TearDown() override {
    fake::SetCallObserver(nullptr);
    for (const char* name : {"v1.txt", "v2.txt", "v3.txt"}) {
      EXPECT_TRUE(fake::FileExists(std::string(kVictim) + "\\" + name)) << name;
    }
    for (const std::string& deleted : fake::CallsOf("DeleteHeld")) {
      EXPECT_NE(deleted.rfind(kVictim, 0), 0u) << deleted;
    }
    EXPECT_EQ(fake::OpenHeldItems(), 0);
  }
  // Exchanges `folder` with a link to the victim folder right after the
  // `count`-th deletion, as an outside process watching the folder could.
  static void SwapAfterDeletion(int count, const std::string& folder) {
    fake::AddFolderLink("C:\\Swap", kVictim, true);
    fake::SetCallObserver([count, folder, seen = 0](const std::string& line) mutable {
      if (line.rfind("DeleteHeld ", 0) == 0 && ++seen == count) fake::ExchangeEntries(folder, "C:\\Swap");
    });
  }
  static constexpr const char* kVictim = "C:\\Victim";
};

TEST_F(HeldWalkTest, FolderSwappedForALinkAfterItWasHeldRedirectsNothing) {
  for (const char* name : {"a.txt", "b.txt", "c\\d.txt", "e.txt"}) {
    fake::AddFile(std::string("C:\\M\\Brevik\\") + name, "x");
  }
  SwapAfterDeletion(1, "C:\\M\\Brevik");
  EXPECT_EQ(setup::DeleteFolderTree("C:\\M\\Brevik"), 1);
  // The walk went on in the folder it held, wherever that now is, and took
  // it; the link put in its place stays.
  EXPECT_FALSE(fake::FolderExists("C:\\Swap"));
  EXPECT_TRUE(fake::LinkExists("C:\\M\\Brevik"));

  // The parent of a held pair swapped between the hold and the removal.
  SetUp();
  fake::AddFile("C:\\M\\Kelvane\\Brevik\\Readme.LNK", "x");
  fake::AddFile(std::string(kVictim) + "\\Brevik\\Readme.LNK", "v");
  setup::FolderPair pair;
  ASSERT_EQ(setup::HoldFolderPair("C:\\M\\Kelvane\\Brevik", 0, pair), setup::FOLDER_PAIR_HELD);
  fake::AddFolderLink("C:\\Swap", kVictim, true);
  fake::ExchangeEntries("C:\\M\\Kelvane", "C:\\Swap");
  setup::RemoveFolderPair("C:\\M\\Kelvane\\Brevik", pair);
  EXPECT_TRUE(fake::FileExists(std::string(kVictim) + "\\Brevik\\Readme.LNK"));
  EXPECT_FALSE(fake::FolderExists("C:\\Swap"));
}

TEST_F(HeldWalkTest, FolderThatCannotBeHeldIsNeverWalked) {
  fake::AddFile("C:\\T\\a.txt", "a");
  fake::AddFile("C:\\T\\s\\b.txt", "b");
  fake::AddFile("C:\\T\\z.txt", "z");
  fake::FailHold("C:\\T\\s");
  setup::DeleteFolderTree("C:\\T");
  EXPECT_FALSE(fake::FileExists("C:\\T\\a.txt"));
  EXPECT_TRUE(fake::FileExists("C:\\T\\s\\b.txt"));
  EXPECT_TRUE(fake::FileExists("C:\\T\\z.txt"));  // the sub-folder that stays ends the walk

  fake::FailHold("C:\\T");
  fake::ClearCalls();
  setup::DeleteFolderTree("C:\\T");
  EXPECT_TRUE(fake::FileExists("C:\\T\\z.txt"));
  EXPECT_TRUE(fake::CallsOf("ListHeld").empty());
  EXPECT_TRUE(fake::CallsOf("OpenFolderListing").empty());

  // Neither half of a pair is worked on unheld.
  setup::FolderPair pair;
  EXPECT_EQ(setup::HoldFolderPair("C:\\T\\s", 0, pair), setup::FOLDER_PAIR_MISSING);
  EXPECT_EQ(setup::HoldFolderPair("C:\\T\\s", 1, pair), setup::FOLDER_PAIR_MISSING);
  EXPECT_FALSE(pair.usable);
  setup::RemoveFolderPair("C:\\T\\s", pair);
  EXPECT_TRUE(fake::FileExists("C:\\T\\s\\b.txt"));
}

TEST_F(HeldWalkTest, NameWithoutAnExactAnsiFormGoesByItsSystemNameNeverAsAPath) {
  // U+FF3C, whose best fit is a backslash: "x\..\..\Victim" in ANSI.
  const std::string bestFitBait = "x\xEF\xBC\xBC..\xEF\xBC\xBC..\xEF\xBC\xBCVictim";
  fake::AddFile("C:\\M\\Brevik\\" + bestFitBait + "\\inner.txt", "planted");
  fake::AddFile("C:\\M\\Brevik\\" + bestFitBait + ".txt", "planted");
  fake::SetNameWithoutAnsiForm("C:\\M\\Brevik\\" + bestFitBait);
  fake::SetNameWithoutAnsiForm("C:\\M\\Brevik\\" + bestFitBait + ".txt");
  setup::DeleteFolderTree("C:\\M\\Brevik");
  // The folder goes with everything in it, these entries too.
  EXPECT_FALSE(fake::FolderExists("C:\\M\\Brevik"));
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());

  // A listing by path gives such a name as no name at all.
  fake::AddFile("C:\\L\\" + bestFitBait, "planted");
  fake::SetNameWithoutAnsiForm("C:\\L\\" + bestFitBait);
  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  ASSERT_EQ(platform::OpenFolderListing("C:\\L\\*.*", listing, entry), 1);
  while (entry.name[0] == '.' && platform::NextFolderEntry(listing, entry) != 0) {
  }
  EXPECT_EQ(entry.nameExact, 0);
  EXPECT_STREQ(entry.name, "");
}

struct CutCase {
  const char* path;
  const char* stripped;
  const char* kept;
};

TEST(ComponentCutTest, StripAndKeepLastComponent) {
  const CutCase cases[] = {
      {"C:\\Dir\\Setup.exe", "C:\\Dir", "Setup.exe"},
      {"Setup.exe", "Setup.exe", "Setup.exe"},
      {"\\Setup.exe", "", "Setup.exe"},
      {"C:\\Dir\\", "C:\\Dir", ""},
      {"C:\\A\\", "C:\\A", ""},
      {"", "", ""},
      {"\\", "", ""},
  };
  for (const CutCase& c : cases) {
    char buffer[64];
    std::strcpy(buffer, c.path);
    setup::StripLastComponent(buffer);
    EXPECT_STREQ(buffer, c.stripped) << c.path;
    std::strcpy(buffer, c.path);
    setup::KeepLastComponent(buffer);
    EXPECT_STREQ(buffer, c.kept) << c.path;
  }
}

}  // namespace

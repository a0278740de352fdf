// Folder resolution: the order of sources and fallbacks, the refusal of
// answers that do not fit, and the drive-root cut.
#include "probe/folder_resolution.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"

namespace {

using platform::FOLDER_SOURCE_SHELL;
using platform::FOLDER_SOURCE_SHFOLDER;
using Calls = std::vector<std::string>;

constexpr const char* SUBFOLDER = "KV\\Brevik";

class SpecialFoldersTest : public ::testing::Test {
 protected:
  // Source `source` answers every one of the six folders with a text naming it.
  static void AnswerAll(int source) {
    for (int id : {38, 5, 26, 35, 23, 7}) {
      platform::fake::SetSpecialFolder(source, id, "S" + std::to_string(source) + "\\" +
                                                       std::to_string(id));
    }
  }

  probe::SpecialFolders folders{};
};

TEST_F(SpecialFoldersTest, FirstPassAsksSixFoldersInOrderAndStopsWhenAllAnswer) {
  AnswerAll(FOLDER_SOURCE_SHELL);
  probe::ResolveSpecialFolders(folders);

  EXPECT_EQ(platform::fake::Calls(),
            (Calls{"OpenFolderSource 1", "QuerySpecialFolder 1 38 0", "QuerySpecialFolder 1 5 1",
                   "QuerySpecialFolder 1 26 1", "QuerySpecialFolder 1 35 1",
                   "QuerySpecialFolder 1 23 1", "QuerySpecialFolder 1 7 1", "CloseFolderSource 1"}));
  EXPECT_STREQ(folders.commonProgramsFolder, "S1\\23");
  EXPECT_STREQ(folders.programFiles, "S1\\38");
  EXPECT_STREQ(folders.startup, "S1\\7");
  EXPECT_EQ(folders.foldersResolved, 1);
}

TEST_F(SpecialFoldersTest, SecondPassAsksOnlyTheEmptyFoldersWithoutCreateFlag) {
  AnswerAll(FOLDER_SOURCE_SHFOLDER);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 38, "C:\\PF");
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 26, "C:\\AD");
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 35, "C:\\CAD");
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 7, "C:\\ST");
  probe::ResolveSpecialFolders(folders);

  EXPECT_EQ(platform::fake::CallsOf("QuerySpecialFolder"),
            (Calls{"1 38 0", "1 5 1", "1 26 1", "1 35 1", "1 23 1", "1 7 1", "2 5 0", "2 23 0"}));
  EXPECT_EQ(platform::fake::CallsOf("CloseFolderSource"), (Calls{"1", "2"}));
  EXPECT_STREQ(folders.commonProgramsFolder, "S2\\23");
  EXPECT_STREQ(folders.personal, "S2\\5");
  EXPECT_STREQ(folders.programFiles, "C:\\PF");
  EXPECT_EQ(platform::fake::OpenFolderSources(), 0);
}

TEST_F(SpecialFoldersTest, MissingShellFunctionSendsEveryFolderToTheSecondSource) {
  platform::fake::SetFunctionMissing(FOLDER_SOURCE_SHELL);
  AnswerAll(FOLDER_SOURCE_SHFOLDER);
  probe::ResolveSpecialFolders(folders);

  EXPECT_EQ(platform::fake::Calls(),
            (Calls{"OpenFolderSource 1", "CloseFolderSource 1", "OpenFolderSource 2",
                   "QuerySpecialFolder 2 38 0", "QuerySpecialFolder 2 5 0",
                   "QuerySpecialFolder 2 26 0", "QuerySpecialFolder 2 35 0",
                   "QuerySpecialFolder 2 23 0", "QuerySpecialFolder 2 7 0", "CloseFolderSource 2"}));
  EXPECT_STREQ(folders.commonProgramsFolder, "S2\\23");
}

TEST_F(SpecialFoldersTest, MissingShellLibraryMeansTheSecondSourceIsNotTried) {
  platform::fake::SetLibraryMissing(FOLDER_SOURCE_SHELL);
  AnswerAll(FOLDER_SOURCE_SHFOLDER);
  probe::ResolveSpecialFolders(folders);

  EXPECT_EQ(platform::fake::Calls(), (Calls{"OpenFolderSource 1"}));
  EXPECT_STREQ(folders.commonProgramsFolder, "");
  EXPECT_EQ(folders.foldersResolved, 1);
}

TEST_F(SpecialFoldersTest, BothSourcesFailingLeaveTheFolderEmpty) {
  probe::ResolveSpecialFolders(folders);
  EXPECT_STREQ(folders.commonProgramsFolder, "");
  EXPECT_EQ(platform::fake::CallsOf("QuerySpecialFolder").size(), 12u);

  probe::SpecialFolders other{};
  platform::fake::Reset();
  platform::fake::SetLibraryMissing(FOLDER_SOURCE_SHFOLDER);
  probe::ResolveSpecialFolders(other);
  EXPECT_STREQ(other.commonProgramsFolder, "");
  EXPECT_EQ(platform::fake::CallsOf("QuerySpecialFolder").size(), 6u);
}

TEST_F(SpecialFoldersTest, AnswerThatDoesNotFitCountsAsThatSourceFailing) {
  const std::string fits(511, 'f');
  const std::string tooLong(512, 'x');
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 23, tooLong);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 5, fits);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 23, "C:\\Programs");
  probe::ResolveSpecialFolders(folders);

  EXPECT_STREQ(folders.commonProgramsFolder, "C:\\Programs");
  EXPECT_EQ(std::string(folders.personal), fits);

  probe::SpecialFolders other{};
  platform::fake::Reset();
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 23, tooLong);
  probe::ResolveSpecialFolders(other);
  EXPECT_STREQ(other.commonProgramsFolder, "");
}

TEST_F(SpecialFoldersTest, AnswerWithoutAnExactAnsiFormCountsAsThatSourceFailing) {
  // "C:\ProgramData\Łukasz" has only a best-fit ANSI spelling.
  const std::string inexact = "C:\\ProgramData\\\xC5\x81ukasz";
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 23, inexact);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 23, inexact);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 26, inexact);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 26, "C:\\AppData");
  probe::ResolveSpecialFolders(folders);

  EXPECT_STREQ(folders.commonProgramsFolder, "");
  EXPECT_STREQ(folders.appData, "C:\\AppData");
}

TEST_F(SpecialFoldersTest, SecondCallDoesNothing) {
  AnswerAll(FOLDER_SOURCE_SHELL);
  probe::ResolveSpecialFolders(folders);
  const probe::SpecialFolders first = folders;

  platform::fake::ClearCalls();
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 23, "changed");
  probe::ResolveSpecialFolders(folders);
  EXPECT_TRUE(platform::fake::Calls().empty());
  EXPECT_EQ(std::memcmp(&first, &folders, sizeof folders), 0);
}

TEST_F(SpecialFoldersTest, ProcessWideFoldersAreResolvedOnce) {
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 23, "C:\\All Users\\Programs");
  probe::InitSpecialFolders();
  EXPECT_STREQ(probe::GetCommonProgramsFolder(), "C:\\All Users\\Programs");

  platform::fake::ClearCalls();
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 23, "C:\\Other");
  probe::InitSpecialFolders();
  EXPECT_TRUE(platform::fake::Calls().empty());
  EXPECT_STREQ(probe::GetCommonProgramsFolder(), "C:\\All Users\\Programs");
}

class TargetFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::ClearAppState(*state);
    std::strcpy(state->targetFolder, "stale text");
  }

  std::string Resolve(const char* subfolder = SUBFOLDER) {
    EXPECT_EQ(probe::ResolveTargetFolder(*state, subfolder), probe::RESOLVE_OK);
    return state->targetFolder;
  }

  std::unique_ptr<app::AppState> state = std::make_unique<app::AppState>();
};

TEST_F(TargetFolderTest, FirstSourceAnswerGetsTheSubfolder) {
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 38, "C:\\Program Files (x86)");
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, "D:\\Unused");
  EXPECT_EQ(Resolve(), "C:\\Program Files (x86)\\KV\\Brevik");
  EXPECT_EQ(platform::fake::Calls(),
            (Calls{"OpenFolderSource 1", "QuerySpecialFolder 1 38 0", "CloseFolderSource 1"}));
}

TEST_F(TargetFolderTest, SecondSourceIsAskedAfterTheFirstIsFreed) {
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, "D:\\Apps");
  EXPECT_EQ(Resolve(), "D:\\Apps\\KV\\Brevik");
  EXPECT_EQ(platform::fake::Calls(),
            (Calls{"OpenFolderSource 1", "QuerySpecialFolder 1 38 0", "CloseFolderSource 1",
                   "OpenFolderSource 2", "QuerySpecialFolder 2 38 0", "CloseFolderSource 2"}));

  platform::fake::Reset();
  platform::fake::SetLibraryMissing(FOLDER_SOURCE_SHELL);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, "D:\\Apps");
  EXPECT_EQ(Resolve(), "D:\\Apps\\KV\\Brevik");
}

TEST_F(TargetFolderTest, InexactAnswersMoveToTheNextSourceAndTheFallback) {
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 38, "C:\\Programm\xC3\xA9");
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, "D:\\Apps");
  EXPECT_EQ(Resolve(), "D:\\Apps\\KV\\Brevik");

  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, "D:\\Programm\xC3\xA9");
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");
}

TEST_F(TargetFolderTest, TrailingBackslashGetsNoSecondOne) {
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 38, "C:\\Program Files\\");
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");
}

TEST_F(TargetFolderTest, WindowsFolderRootIsTheLastButOneFallback) {
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");
  EXPECT_EQ(platform::fake::CallsOf("GetWindowsFolder"), (Calls{"2000"}));

  platform::fake::SetWindowsFolder("D:\\WINNT");
  EXPECT_EQ(Resolve(), "D:\\Program Files\\KV\\Brevik");
  platform::fake::SetWindowsFolder("\\\\server\\share\\WINDOWS");
  EXPECT_EQ(Resolve(), "\\\\server\\Program Files\\KV\\Brevik");
  platform::fake::SetWindowsFolder("E:");
  EXPECT_EQ(Resolve(), "E:\\Program Files\\KV\\Brevik");
}

TEST_F(TargetFolderTest, FailedOrOverlongWindowsFolderGivesDriveC) {
  platform::fake::SetWindowsFolder("D:\\WINDOWS");
  platform::fake::SetWindowsFolderFails();
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");

  platform::fake::SetWindowsFolder("D:\\" + std::string(1997, 'w'));  // 2000 characters
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");
  platform::fake::SetWindowsFolder("D:\\" + std::string(1996, 'w'));  // fits: its root is used
  EXPECT_EQ(Resolve(), "D:\\Program Files\\KV\\Brevik");
}

TEST_F(TargetFolderTest, RootThatLeavesNoRoomForTheSubfolderGivesDriveC) {
  // No backslash, so the whole text is the root.
  platform::fake::SetWindowsFolder(std::string(1000, 'r'));
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");
}

TEST_F(TargetFolderTest, SourceAnswerTooLongForTheSubfolderMovesToTheNextSource) {
  // 1013 + 1 + 9 = 1023 characters fit exactly; one more does not.
  const std::string fits = "C:\\" + std::string(1010, 'p');
  const std::string tooLong = "C:\\" + std::string(1011, 'p');
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHELL, 38, tooLong);
  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, fits);
  EXPECT_EQ(Resolve(), fits + "\\KV\\Brevik");
  EXPECT_EQ(std::strlen(state->targetFolder), 1023u);

  platform::fake::SetSpecialFolder(FOLDER_SOURCE_SHFOLDER, 38, tooLong);
  EXPECT_EQ(Resolve(), "C:\\Program Files\\KV\\Brevik");
}

TEST_F(TargetFolderTest, SubfolderThatCannotFitAnywhereIsRefused) {
  const std::string subfolder(1024 - 17, 's');  // "C:\Program Files\" is 17 characters
  EXPECT_EQ(probe::ResolveTargetFolder(*state, subfolder.c_str()),
            probe::RESOLVE_SUBFOLDER_TOO_LONG);
  EXPECT_STREQ(state->targetFolder, "");
  EXPECT_TRUE(platform::fake::Calls().empty());

  const std::string fits(1023 - 17, 's');
  EXPECT_EQ(Resolve(fits.c_str()), "C:\\Program Files\\" + fits);
}

struct CutCase {
  const char* text;
  int result;
  const char* after;
};

TEST(CutToDriveRootTest, CutsAfterTheRootComponent) {
  const CutCase cases[] = {
      {"C:\\WINDOWS", 1, "C:\\"},
      {"C:\\WINDOWS\\SYSTEM32", 1, "C:\\"},
      {"\\\\server\\share\\WINDOWS", 1, "\\\\server\\"},
      {"\\WINDOWS\\SYSTEM", 1, "\\WINDOWS\\"},
      {"\\WINDOWS", 0, "\\WINDOWS"},
      {"C:", 0, "C:"},
      {"C:\\", 1, "C:\\"},
      {"", 0, ""},
      {"\\\\\\x\\y", 1, "\\\\\\x\\"},
  };
  for (const CutCase& c : cases) {
    char buffer[64];
    std::strcpy(buffer, c.text);
    EXPECT_EQ(probe::CutToDriveRoot(buffer), c.result) << c.text;
    EXPECT_STREQ(buffer, c.after) << c.text;
  }
}

}  // namespace

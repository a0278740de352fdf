// The Win32 platform layer: where optional libraries come from, the
// special-folder sources, files and folders, the package view, the module
// path, the setup log's file, and the handle wrapper's care for the last
// error.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/log_file.h"
#include "platform/platform.h"
#include "platform/system_error.h"
#include "platform/file_copy.h"
#include "platform/system.h"
#include "platform/win32/exact_names.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "tests/windows/platform/win_test_support.h"

namespace {

std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string text = path;
  return text.substr(0, text.rfind('\\'));
}

std::string SystemFolder() {
  char path[MAX_PATH + 1] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

TEST(SystemLibraryTest, LoadsFromTheSystemFolderOnly) {
  platform::win32::UniqueLibrary shell = platform::win32::LoadSystemLibrary("SHELL32.DLL");
  ASSERT_TRUE(shell.IsValid());
  EXPECT_TRUE(win_test::SamePathIgnoringCase(ModuleFolder(shell.Get()), SystemFolder()));

  // A library of a name the system folder lacks, planted in the current
  // folder, is not loaded from there, though a plain load finds it. (The
  // plain load comes second: a module already loaded under the same base
  // name would be handed out whatever the search flags.)
  win_test::TempFolder folder;
  const std::string planted = folder / "KVPLANT.DLL";
  ASSERT_TRUE(CopyFileA((SystemFolder() + "\\SHFOLDER.DLL").c_str(), planted.c_str(), FALSE));
  char previous[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
  platform::win32::UniqueLibrary restricted = platform::win32::LoadSystemLibrary("KVPLANT.DLL");
  platform::win32::UniqueLibrary byPath = platform::win32::LoadSystemLibraryByPath("KVPLANT.DLL");
  platform::win32::UniqueLibrary plain(LoadLibraryA("KVPLANT.DLL"));
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(restricted.IsValid());
  EXPECT_FALSE(byPath.IsValid());
  EXPECT_TRUE(plain.IsValid());
  plain.Reset();
}

TEST(SystemLibraryTest, FullPathWayLoadsTheSystemCopy) {
  platform::win32::UniqueLibrary shfolder =
      platform::win32::LoadSystemLibraryByPath("SHFOLDER.DLL");
  ASSERT_TRUE(shfolder.IsValid());
  EXPECT_TRUE(win_test::SamePathIgnoringCase(ModuleFolder(shfolder.Get()), SystemFolder()));
  EXPECT_NE(GetProcAddress(shfolder.Get(), "SHGetFolderPathA"), nullptr);
}

TEST(FolderSourceTest, BothSourcesAnswerTheSameProgramFilesFolder) {
  char first[512];
  char second[512];
  {
    platform::UniqueFolderSource shell;
    ASSERT_EQ(platform::OpenFolderSource(platform::FOLDER_SOURCE_SHELL, shell),
              platform::SOURCE_READY);
    EXPECT_EQ(platform::QuerySpecialFolder(shell, 38, 0, first, sizeof first),
              platform::FOLDER_FOUND);
    // An answer that does not fit is refused, not cut.
    char small[5] = "xxxx";
    EXPECT_EQ(platform::QuerySpecialFolder(shell, 38, 0, small, sizeof small),
              platform::FOLDER_TOO_LONG);
    EXPECT_STREQ(small, "");
  }
  platform::UniqueFolderSource shfolder;
  ASSERT_EQ(platform::OpenFolderSource(platform::FOLDER_SOURCE_SHFOLDER, shfolder),
            platform::SOURCE_READY);
  EXPECT_EQ(platform::QuerySpecialFolder(shfolder, 38, 0, second, sizeof second),
            platform::FOLDER_FOUND);
  EXPECT_STREQ(first, second);
  EXPECT_STREQ(first, win_test::UnderWow64() ? "C:\\Program Files (x86)" : "C:\\Program Files");
}

TEST(WindowsFolderTest, FollowsTheSystemContract) {
  char folder[2048] = {};
  const uint32_t length = platform::GetWindowsFolder(folder, 2000);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(folder));
  char small[3] = "ab";
  EXPECT_EQ(platform::GetWindowsFolder(small, sizeof small), length + 1);
}

TEST(FilesTest, CreateAndRemoveFolders) {
  win_test::TempFolder folder;
  const std::string child = folder / "child";
  EXPECT_EQ(platform::CreateFolder(child.c_str()), platform::FOLDER_CREATED);
  EXPECT_EQ(platform::CreateFolder(child.c_str()), platform::FOLDER_ALREADY_EXISTS);
  EXPECT_EQ(platform::CreateFolder((folder / "missing\\child").c_str()),
            platform::FOLDER_NOT_CREATED);

  ASSERT_TRUE(win_test::WriteFile(child + "\\f.txt", "f"));
  EXPECT_EQ(platform::RemoveFolder(child.c_str()), 0);
  EXPECT_EQ(platform::RemoveFile((child + "\\f.txt").c_str()), 1);
  EXPECT_EQ(platform::RemoveFile((child + "\\f.txt").c_str()), 0);
  EXPECT_EQ(platform::RemoveFolder(child.c_str()), 1);
  EXPECT_FALSE(win_test::Exists(child));
}

TEST(FilesTest, ListingHoldsEveryEntryWithItsKind) {
  win_test::TempFolder folder;
  ASSERT_TRUE(win_test::WriteFile(folder / "a.txt", "a"));
  ASSERT_TRUE(CreateDirectoryA((folder / "sub").c_str(), nullptr));

  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  ASSERT_EQ(platform::OpenFolderListing((folder / "*.*").c_str(), listing, entry), 1);
  std::vector<std::string> files;
  std::vector<std::string> folders;
  do {
    (entry.isFolder != 0 ? folders : files).push_back(entry.name);
  } while (platform::NextFolderEntry(listing, entry) != 0);
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(files, std::vector<std::string>{"a.txt"});
  EXPECT_EQ(folders, (std::vector<std::string>{".", "..", "sub"}));

  platform::UniqueFolderListing missing;
  EXPECT_EQ(platform::OpenFolderListing((folder / "none\\*.*").c_str(), missing, entry), 0);
  EXPECT_FALSE(missing.IsValid());
}

TEST(FilesTest, ListingsGiveANameOnlyWhenItsAnsiFormIsExact) {
  // U+FF3C has the backslash as its best fit; U+0141 has no ANSI form in the
  // Western code page but best-fits to L.
  win_test::TempFolder folder;
  const std::wstring wideFolder(folder.Path().begin(), folder.Path().end());
  for (const wchar_t* name : {L"x\xFF3C..\xFF3Cy.txt", L"\x0141ukasz.txt"}) {
    HANDLE file = CreateFileW((wideFolder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  ASSERT_TRUE(win_test::WriteFile(folder / "plain.txt", "p"));

  std::vector<std::string> exact;
  int inexact = 0;
  platform::UniqueFolderListing listing;
  platform::FolderEntry entry;
  ASSERT_EQ(platform::OpenFolderListing((folder / "*.*").c_str(), listing, entry), 1);
  do {
    if (entry.nameExact != 0) {
      exact.push_back(entry.name);
    } else {
      EXPECT_STREQ(entry.name, "");
      ++inexact;
    }
  } while (platform::NextFolderEntry(listing, entry) != 0);
  std::sort(exact.begin(), exact.end());
  EXPECT_EQ(exact, (std::vector<std::string>{".", "..", "plain.txt"}));
  EXPECT_EQ(inexact, 2);

  // The held listing says the same, and its system name still opens them.
  platform::UniqueHeldItem held;
  ASSERT_EQ(platform::HoldFolder(folder.Path().c_str(), held), platform::HELD_FOLDER);
  platform::HeldEntry heldEntry;
  int deleted = 0;
  for (int more = platform::NextHeldEntry(held, 1, heldEntry); more != 0;
       more = platform::NextHeldEntry(held, 0, heldEntry)) {
    if (heldEntry.nameExact != 0) continue;
    EXPECT_STREQ(heldEntry.name, "");
    platform::UniqueHeldItem file;
    ASSERT_EQ(platform::OpenHeldEntry(held, heldEntry, file), platform::HELD_FILE);
    deleted += platform::DeleteHeldItem(file);
  }
  EXPECT_EQ(deleted, 2);
  EXPECT_TRUE(win_test::Exists(folder / "plain.txt"));
}

TEST(FilesTest, HeldFolderCannotBeRenamedAndIsWorkedOnThroughItsHandle) {
  win_test::TempFolder folder;
  const std::string held = folder / "held";
  ASSERT_TRUE(CreateDirectoryA(held.c_str(), nullptr));
  ASSERT_TRUE(win_test::WriteFile(folder / "file.txt", "f"));

  platform::UniqueHeldItem item;
  ASSERT_EQ(platform::HoldFolder(held.c_str(), item), platform::HELD_FOLDER);
  // Held, it can be neither renamed nor removed by path (so not swapped for
  // a link); work below it goes on relative to it.
  EXPECT_FALSE(MoveFileA(held.c_str(), (folder / "moved").c_str()));
  EXPECT_EQ(platform::RemoveFolder(held.c_str()), 0);
  platform::UniqueHeldItem sub;
  EXPECT_EQ(platform::CreateHeldFolder(item, "sub", sub), platform::HELD_CREATED);
  EXPECT_TRUE(win_test::IsFolder(held + "\\sub"));
  ASSERT_TRUE(win_test::WriteFile(held + "\\sub\\x.txt", "x"));
  // Not empty: its deletion is refused and it stays held.
  EXPECT_EQ(platform::DeleteHeldItem(sub), 0);
  EXPECT_TRUE(sub.IsValid());
  platform::UniqueHeldItem file;
  ASSERT_EQ(platform::OpenHeldFile(sub, "x.txt", file), platform::HELD_FILE);
  EXPECT_EQ(platform::RenameHeldItem(file, sub, "y.txt"), 1);
  EXPECT_TRUE(win_test::Exists(held + "\\sub\\y.txt"));
  EXPECT_EQ(platform::DeleteHeldItem(file), 1);
  EXPECT_FALSE(win_test::Exists(held + "\\sub\\y.txt"));
  EXPECT_EQ(platform::DeleteHeldItem(sub), 1);
  EXPECT_FALSE(win_test::Exists(held + "\\sub"));
  EXPECT_EQ(platform::OpenHeldName(item, "sub", sub), platform::HELD_MISSING);
  EXPECT_EQ(platform::DeleteHeldItem(item), 1);
  EXPECT_FALSE(win_test::Exists(held));

  EXPECT_EQ(platform::HoldFolder((folder / "file.txt").c_str(), item), platform::HELD_FILE);
  EXPECT_EQ(platform::HoldFolder((folder / "none").c_str(), item), platform::HELD_MISSING);
  EXPECT_FALSE(item.IsValid());

  // A renamed file never replaces another.
  ASSERT_TRUE(win_test::WriteFile(folder / "other.txt", "o"));
  EXPECT_EQ(platform::RenameFile((folder / "file.txt").c_str(), (folder / "other.txt").c_str()), 0);
  EXPECT_EQ(platform::RenameFile((folder / "file.txt").c_str(), (folder / "new.txt").c_str()), 1);
  EXPECT_EQ(win_test::ReadFile(folder / "other.txt"), "o");
}

TEST(FilesTest, WriteFileBlockCreatesOrEmptiesAndWritesInOnePiece) {
  win_test::TempFolder folder;
  const std::string path = folder / "data.bin";
  ASSERT_TRUE(win_test::WriteFile(path, std::string(1000, 'x')));
  const std::string content = "new content";
  platform::BlockWrite write =
      platform::WriteFileBlock(path.c_str(), content.data(), static_cast<uint32_t>(content.size()));
  EXPECT_EQ(write.opened, 1);
  EXPECT_EQ(write.writeReported, 1);
  EXPECT_EQ(write.written, content.size());
  EXPECT_EQ(win_test::ReadFile(path), content);

  write = platform::WriteFileBlock(path.c_str(), nullptr, 0);
  EXPECT_EQ(write.opened, 1);
  EXPECT_EQ(write.writeReported, 1);
  EXPECT_EQ(win_test::ReadFile(path), "");

  EXPECT_EQ(platform::WriteFileBlock((folder / "none\\x.bin").c_str(), "x", 1).opened, 0);

  const std::string inUse = folder / "held.bin";
  ASSERT_TRUE(win_test::WriteFile(inUse, "keep"));
  win_test::HeldFile held(inUse);
  ASSERT_TRUE(held.IsOpen());
  EXPECT_EQ(platform::WriteFileBlock(inUse.c_str(), "x", 1).opened, 0);
}

TEST(FilesTest, ReadOnlyFileIsNeitherDeletedNorWritten) {
  win_test::TempFolder folder;
  const std::string readOnly = folder / "ro.bin";
  ASSERT_TRUE(win_test::WriteFile(readOnly, "keep"));
  ASSERT_TRUE(win_test::MakeReadOnly(readOnly));
  EXPECT_EQ(platform::RemoveFile(readOnly.c_str()), 0);
  if (!win_test::ReadOnlyIsEnforced(readOnly)) {
    GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
  }
  EXPECT_EQ(platform::WriteFileBlock(readOnly.c_str(), "x", 1).opened, 0);
  EXPECT_EQ(win_test::ReadFile(readOnly), "keep");
}

TEST(LogFileTest, AppendsReadsItsStartRefusesSecondNamesAndFoldersAndRenamesOnlyToAFreeName) {
  win_test::TempFolder folder;
  const std::string path = folder / "setup.log";
  platform::LogFileFacts facts{};
  {
    // Nothing there: made, unless only an existing file is asked for.
    platform::UniqueLogFile file;
    EXPECT_EQ(platform::OpenLogFile(path.c_str(), platform::LOG_OPEN_EXISTING, file, facts),
              platform::LOG_FILE_NOT_OPENED);
    EXPECT_FALSE(win_test::Exists(path));
    ASSERT_EQ(platform::OpenLogFile(path.c_str(), platform::LOG_OPEN_OR_CREATE, file, facts),
              platform::LOG_FILE_OPENED);
    EXPECT_EQ(facts.created, 1);
  }
  ASSERT_TRUE(win_test::WriteFile(path, "earlier\r\n"));
  {
    platform::UniqueLogFile file;
    ASSERT_EQ(platform::OpenLogFile(path.c_str(), platform::LOG_OPEN_EXISTING, file, facts),
              platform::LOG_FILE_OPENED);
    EXPECT_EQ(facts.size, 9u);
    EXPECT_EQ(facts.created, 0);
    // Its start read, then lines still go to the end.
    char start[5] = {};
    uint32_t count = 0;
    ASSERT_EQ(platform::ReadLogFileStart(file, start, 4, count), 1);
    EXPECT_EQ(std::string(start, count), "earl");
    EXPECT_EQ(platform::AppendLogText(file, "one\r\n", 5), 1);
    EXPECT_EQ(platform::AppendLogText(file, "two\r\n", 5), 1);
    // Others may read it meanwhile.
    EXPECT_EQ(win_test::ReadFile(path), "earlier\r\none\r\ntwo\r\n");

    // A name that is taken is left as it is; once free, the open file
    // itself goes there.
    ASSERT_TRUE(win_test::WriteFile(path + ".1", "older"));
    EXPECT_EQ(platform::RenameLogFile(file, (path + ".1").c_str()), 0);
    EXPECT_EQ(win_test::ReadFile(path + ".1"), "older");
    platform::UniqueLogFile older;
    ASSERT_EQ(platform::OpenLogFile((path + ".1").c_str(), platform::LOG_OPEN_EXISTING, older, facts),
              platform::LOG_FILE_OPENED);
    EXPECT_EQ(platform::DeleteLogFile(older), 1);
    older.Reset();
    EXPECT_FALSE(win_test::Exists(path + ".1"));
    EXPECT_EQ(platform::RenameLogFile(file, (path + ".1").c_str()), 1);
  }
  EXPECT_FALSE(win_test::Exists(path));
  EXPECT_EQ(win_test::ReadFile(path + ".1"), "earlier\r\none\r\ntwo\r\n");

  // A file with a second name is refused and left alone; a folder is never
  // opened.
  platform::UniqueLogFile file;
  const std::string other = folder / "other.txt";
  ASSERT_TRUE(win_test::WriteFile(other, "not a log"));
  ASSERT_TRUE(CreateHardLinkA(path.c_str(), other.c_str(), nullptr));
  EXPECT_EQ(platform::OpenLogFile(path.c_str(), platform::LOG_OPEN_OR_CREATE, file, facts),
            platform::LOG_FILE_REFUSED);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(win_test::ReadFile(other), "not a log");
  EXPECT_NE(platform::OpenLogFile(folder.Path().c_str(), platform::LOG_OPEN_OR_CREATE, file, facts),
            platform::LOG_FILE_OPENED);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(platform::OpenLogFile((folder / "none\\x.log").c_str(), platform::LOG_OPEN_OR_CREATE, file, facts),
            platform::LOG_FILE_NOT_OPENED);

  // The same file named with other letter case is still the file named.
  const std::string upper = folder / "SETUP.LOG.1";
  EXPECT_EQ(platform::OpenLogFile(upper.c_str(), platform::LOG_OPEN_EXISTING, file, facts),
            platform::LOG_FILE_OPENED);
  file.Reset();

  // The system's message of an error, without its line break.
  char message[512];
  ASSERT_EQ(platform::DescribeSystemError(ERROR_FILE_NOT_FOUND, message, sizeof message), 1);
  const std::string text = message;
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
}

TEST(PackageViewTest, ModuleWithoutPackageIsMissing) {
  platform::UniquePackage package;
  platform::ReadOnlyBytes bytes{reinterpret_cast<const uint8_t*>(1), 1};
  EXPECT_EQ(platform::OpenPackage(GetModuleHandleA(nullptr), package, bytes),
            platform::PACKAGE_MISSING);
  EXPECT_FALSE(package.IsValid());
  EXPECT_EQ(bytes.data, nullptr);
  EXPECT_EQ(bytes.size, 0u);
}

TEST(ModulePathTest, NamesTheRunningProgramAndRefusesWhatDoesNotFit) {
  char path[1024];
  ASSERT_EQ(platform::GetModulePath(nullptr, path, sizeof path), 1);
  char expected[1024] = {};
  GetModuleFileNameA(nullptr, expected, sizeof expected);
  EXPECT_STREQ(path, expected);

  char small[8] = "xxxxxxx";
  EXPECT_EQ(platform::GetModulePath(nullptr, small, sizeof small), 0);
  EXPECT_STREQ(small, "");
}

TEST(ExactNameTest, AnsiFormIsTakenOnlyWhenItIsExact) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "every name has an exact form in UTF-8";
  char buffer[64] = "stale";
  EXPECT_EQ(platform::win32::ExactAnsiName(L"C:\\Setup\\BrevikSetup.exe", buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "C:\\Setup\\BrevikSetup.exe");
  // Best fit would give "x\..", "Lukasz" and "?": none of them is taken.
  for (const wchar_t* name : {L"x\uFF3C..", L"\u0141ukasz", L"\u0418\u0432\u0430\u043D"}) {
    std::strcpy(buffer, "stale");
    EXPECT_EQ(platform::win32::ExactAnsiName(name, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
  }
  char small[4] = "xxx";
  EXPECT_EQ(platform::win32::ExactAnsiName(L"abcd", small, sizeof small), 0);
  EXPECT_STREQ(small, "");
}

TEST(ModulePathTest, CopyOfTheRunningProgramIsItsOwnBytes) {
  win_test::TempFolder folder;
  const std::string copy = folder / "copy.exe";
  ASSERT_EQ(platform::CopyModuleFile(nullptr, copy.c_str()), 1);
  char self[1024];
  ASSERT_EQ(platform::GetModulePath(nullptr, self, sizeof self), 1);
  char name[1024];
  ASSERT_EQ(platform::GetModuleName(nullptr, name, sizeof name), 1);
  EXPECT_EQ(std::string(self).substr(std::strlen(self) - std::strlen(name)), name);
  auto bytes = [](const std::string& path) {
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char chunk[65536];
    DWORD read = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
      content.append(chunk, read);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return content;
  };
  const std::string copied = bytes(copy);
  EXPECT_FALSE(copied.empty());
  EXPECT_EQ(copied, bytes(self));
}

TEST(UniqueHandleTest, ClosingKeepsTheLastError) {
  win_test::TempFolder folder;
  const std::string path = folder / "f.bin";
  platform::win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.IsValid());
  SetLastError(ERROR_DISK_FULL);
  file.Reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(file.IsValid());
}

// Files and find walks hold nothing at their calls' failure answer, and an
// emptied holder goes back to it; a file holder also takes zero as empty.
TEST(UniqueHandleTest, EmptyAtTheFailureAnswer) {
  win_test::TempFolder folder;
  const std::string missing = folder / "missing\\f.bin";
  platform::win32::UniqueFile failed(CreateFileA(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(failed.IsValid());
  EXPECT_FALSE(platform::win32::UniqueFile(nullptr).IsValid());
  EXPECT_EQ(platform::win32::UniqueFile().Get(), INVALID_HANDLE_VALUE);

  WIN32_FIND_DATAA data;
  platform::win32::UniqueFind none(FindFirstFileA(missing.c_str(), &data));
  EXPECT_FALSE(none.IsValid());
  const std::string pattern = folder / "*";
  platform::win32::UniqueFind walk(FindFirstFileA(pattern.c_str(), &data));
  ASSERT_TRUE(walk.IsValid());
  SetLastError(ERROR_DISK_FULL);
  walk.Reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(walk.Get(), INVALID_HANDLE_VALUE);
}

}  // namespace

// Extraction and removal of the package's files: the result rule, what is
// written and what is left alone, and the paths that are never touched.
#include "package/extract.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "tests/native/extract/test_package.h"

namespace {

namespace fake = platform::fake;
using Calls = std::vector<std::string>;
using extract_test::AsText;

constexpr const char* TARGET = "C:\\Program Files\\KV\\Brevik";

class ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files = extract_test::MakeFiles(extract_test::SmallSizes());
    bytes = extract_test::Build(files);
    ASSERT_FALSE(bytes.empty());
    std::strcpy(state->targetFolder, TARGET);
    fake::AddFolder(TARGET);
  }

  std::string PathOf(uint32_t index) const { return std::string(TARGET) + "\\" + files[index].name; }

  // Expects entry `index` (0-based) to lie in the target folder as packed.
  void ExpectWritten(uint32_t index) const {
    EXPECT_EQ(fake::FileContent(PathOf(index)), AsText(files[index].content)) << index;
  }

  std::vector<package::PackFile> files;
  std::vector<uint8_t> bytes;
  std::unique_ptr<app::AppState> state = extract_test::NewState();
};

TEST_F(ExtractTest, WritesEveryEntryAndRefreshesTheTable) {
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    ExpectWritten(i);
  }
  EXPECT_EQ(std::memcmp(state->packageTable.bytes, bytes.data(), package::PACKAGE_TABLE_SIZE), 0);
  EXPECT_EQ(fake::OpenPackages(), 0);
  // Written in table order, each in one piece.
  const Calls writes = fake::CallsOf("WriteFileBlock");
  ASSERT_EQ(writes.size(), package::PACKAGE_ENTRY_COUNT);
  EXPECT_EQ(writes[0], PathOf(0) + " 40");
  EXPECT_EQ(writes[20], PathOf(20) + " 300");

  // A second run reads the same bytes and gives the same result.
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
}

TEST_F(ExtractTest, MissingOrUnreadablePackageAttemptsNothing) {
  std::memset(state->packageTable.bytes, 0xCD, sizeof state->packageTable.bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_PACKAGE_MISSING);
  fake::SetPackageUnreadable();
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_PACKAGE_MISSING);
  EXPECT_TRUE(fake::CallsOf("WriteFileBlock").empty());
  EXPECT_EQ(state->packageTable.bytes[0], 0xCD);
  EXPECT_EQ(state->packageTable.bytes[package::PACKAGE_TABLE_SIZE - 1], 0xCD);
}

TEST_F(ExtractTest, MissingTargetFolderFailsEveryEntry) {
  std::strcpy(state->targetFolder, "C:\\Nowhere");
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::ExtractFailureResult(21));
  EXPECT_EQ(package::ExtractFailureResult(21), -121);
}

TEST_F(ExtractTest, TargetFolderWithTrailingBackslashGetsNoSecondOne) {
  std::strcat(state->targetFolder, "\\");
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
  EXPECT_EQ(fake::CallsOf("WriteFileBlock")[0], PathOf(0) + " 40");
}

TEST_F(ExtractTest, DataEndingExactlyAtThePackageEndPassesOneByteMoreFails) {
  package::PackageEntry last = extract_test::EntryOf(bytes, 20);
  ASSERT_EQ(last.offset + last.size, bytes.size());
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);

  fake::Reset();
  fake::AddFolder(TARGET);
  last.size += 1;
  extract_test::SetEntry(bytes, 20, last);
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), -101);
  EXPECT_FALSE(fake::FileExists(PathOf(20)));
  ExpectWritten(19);
}

TEST_F(ExtractTest, OffsetThatWrapsIn32BitsIsOutOfBounds) {
  package::PackageEntry last = extract_test::EntryOf(bytes, 20);
  last.offset = 0xFFFFFFF0u;
  last.size = 0x20;  // offset + size wraps to 0x10 in 32 bits
  extract_test::SetEntry(bytes, 20, last);
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), -101);
  EXPECT_FALSE(fake::FileExists(PathOf(20)));
}

TEST_F(ExtractTest, FailedEntriesAreCountedAndTheRestWritten) {
  fake::AddFile(PathOf(2), "read-only");
  fake::SetReadOnly(PathOf(2));
  fake::AddFile(PathOf(7), "in use");
  fake::SetInUse(PathOf(7));
  fake::LimitWrite(PathOf(11), 10, true);
  fake::LimitWrite(PathOf(15), 1000, false);
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), -104);

  EXPECT_EQ(fake::FileContent(PathOf(2)), "read-only");
  EXPECT_EQ(fake::FileContent(PathOf(7)), "in use");
  // A write that stops short leaves the file as far as it got.
  EXPECT_EQ(fake::FileContent(PathOf(11)), AsText(files[11].content).substr(0, 10));
  ExpectWritten(3);
  ExpectWritten(20);
}

TEST_F(ExtractTest, TamperedEntryWritesNothingAndLeavesAnExistingFile) {
  // A wrong digest in the table fails that entry alone; the chain is keyed
  // by the stored data, which is intact.
  package::PackageEntry third = extract_test::EntryOf(bytes, 2);
  third.digest[0] ^= 0xFF;
  extract_test::SetEntry(bytes, 2, third);
  fake::AddFile(PathOf(2), "previous");
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), -101);
  EXPECT_EQ(fake::FileContent(PathOf(2)), "previous");
  EXPECT_EQ(fake::CallsOf("WriteFileBlock").size(), 20u);
  ExpectWritten(3);
}

TEST_F(ExtractTest, ChangedStoredDataFailsItsEntryAndTheChainAfterIt) {
  const package::PackageEntry entry = extract_test::EntryOf(bytes, 18);
  bytes[entry.offset] ^= 0x01;
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), -103);  // entries 19, 20, 21
  ExpectWritten(17);
  EXPECT_FALSE(fake::FileExists(PathOf(18)));
  EXPECT_FALSE(fake::FileExists(PathOf(20)));
}

TEST_F(ExtractTest, ZeroSizeEntryCreatesAnEmptyFile) {
  std::vector<uint32_t> sizes = extract_test::SmallSizes();
  sizes[4] = 0;
  files = extract_test::MakeFiles(sizes);
  bytes = extract_test::Build(files);
  fake::AddFile(PathOf(4), "old content");
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
  EXPECT_TRUE(fake::FileExists(PathOf(4)));
  EXPECT_EQ(fake::FileContent(PathOf(4)), "");
}

TEST_F(ExtractTest, UnsafeNamesAreNeverTouchedAndCountAsFailed) {
  const char* unsafe[] = {"..\\evil.exe", "sub/evil.exe", "C:evil.exe", "..", ""};
  for (uint32_t i = 0; i < std::size(unsafe); ++i) {
    package::PackageEntry entry = extract_test::EntryOf(bytes, i * 2);
    std::memset(entry.name, 0, sizeof entry.name);
    std::strcpy(entry.name, unsafe[i]);
    extract_test::SetEntry(bytes, i * 2, entry);
  }
  package::PackageEntry unterminated = extract_test::EntryOf(bytes, 20);
  std::memset(unterminated.name, 'A', sizeof unterminated.name);
  extract_test::SetEntry(bytes, 20, unterminated);
  fake::SetPackage(bytes);

  EXPECT_EQ(package::ExtractPackage(*state), -106);
  // The chain went on: the entries between them were written.
  ExpectWritten(1);
  ExpectWritten(9);
  ExpectWritten(19);
  for (const std::string& write : fake::CallsOf("WriteFileBlock")) {
    EXPECT_EQ(write.find("evil"), std::string::npos) << write;
    EXPECT_EQ(write.find("AAAA"), std::string::npos) << write;
  }
  EXPECT_EQ(fake::CallsOf("WriteFileBlock").size(), 15u);

  fake::ClearCalls();
  package::DeletePackageFiles(*state);
  EXPECT_EQ(fake::CallsOf("OpenHeldFile").size(), 15u);
  for (const std::string& open : fake::CallsOf("OpenHeldFile")) {
    EXPECT_EQ(open.find("evil"), std::string::npos) << open;
  }
}

// Names Windows would resolve to another entry's file: a final full stop
// (entry 18 standing in for the tool of entry 14), a possible short name,
// and two names apart only in letter case, neither of which may win.
TEST_F(ExtractTest, NamesWindowsWouldMergeAreNeverWritten) {
  auto rename = [&](uint32_t index, const std::string& name) {
    package::PackageEntry entry = extract_test::EntryOf(bytes, index);
    std::memset(entry.name, 0, sizeof entry.name);
    std::memcpy(entry.name, name.data(), name.size());
    extract_test::SetEntry(bytes, index, entry);
  };
  rename(17, files[13].name + ".");
  rename(8, "FILE~1.BIN");
  rename(5, "FILE03.BIN");
  fake::SetPackage(bytes);

  EXPECT_EQ(package::ExtractPackage(*state), -104);
  ExpectWritten(13);
  EXPECT_FALSE(fake::FileExists(PathOf(2)));
  for (const std::string& write : fake::CallsOf("WriteFileBlock")) {
    EXPECT_EQ(write.find("file14.bin."), std::string::npos) << write;
    EXPECT_EQ(write.find("FILE"), std::string::npos) << write;
    EXPECT_EQ(write.find("file03"), std::string::npos) << write;
  }
  EXPECT_EQ(fake::CallsOf("WriteFileBlock").size(), 17u);

  fake::ClearCalls();
  package::DeletePackageFiles(*state);
  EXPECT_EQ(fake::CallsOf("OpenHeldFile").size(), 17u);
}

TEST_F(ExtractTest, EntryPathLongerThan1023IsAFailedEntry) {
  // Folder of 1012 characters + "\" + "fileNN.bin" (10) = 1023: fits.
  const std::string fits = "C:\\" + std::string(1009, 'f');
  fake::AddFolder(fits);
  std::strcpy(state->targetFolder, fits.c_str());
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);

  const std::string tooLong = fits + "g";
  fake::AddFolder(tooLong);
  std::strcpy(state->targetFolder, tooLong.c_str());
  fake::ClearCalls();
  EXPECT_EQ(package::ExtractPackage(*state), -121);
  EXPECT_TRUE(fake::CallsOf("WriteFileBlock").empty());

  fake::ClearCalls();
  package::DeletePackageFiles(*state);
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());
}

TEST_F(ExtractTest, EmptyTargetFolderWritesNothing) {
  state->targetFolder[0] = '\0';
  fake::SetPackage(bytes);
  EXPECT_EQ(package::ExtractPackage(*state), -121);
  EXPECT_TRUE(fake::CallsOf("WriteFileBlock").empty());
  package::DeletePackageFiles(*state);
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());
}

TEST_F(ExtractTest, PackageNoLargerThanTheTableKeepsTheOldTable) {
  std::memset(state->packageTable.bytes, 0, sizeof state->packageTable.bytes);
  fake::SetPackage(std::vector<uint8_t>(package::PACKAGE_TABLE_SIZE, 0x33));
  EXPECT_EQ(package::ExtractPackage(*state), -121);
  EXPECT_EQ(state->packageTable.bytes[0], 0);
  EXPECT_TRUE(fake::CallsOf("WriteFileBlock").empty());
}

TEST(WriteWholeFileTest, ReportsOnlyACompleteWrite) {
  fake::Reset();
  fake::AddFolder("C:\\D");
  EXPECT_EQ(package::WriteWholeFile("C:\\D\\a.bin", "abc", 3), 1);
  EXPECT_EQ(fake::FileContent("C:\\D\\a.bin"), "abc");
  EXPECT_EQ(package::WriteWholeFile("C:\\D\\a.bin", nullptr, 0), 1);
  EXPECT_TRUE(fake::FileExists("C:\\D\\a.bin"));
  EXPECT_EQ(fake::FileContent("C:\\D\\a.bin"), "");

  EXPECT_EQ(package::WriteWholeFile("C:\\Missing\\a.bin", "abc", 3), 0);
  fake::LimitWrite("C:\\D\\short.bin", 2, true);
  EXPECT_EQ(package::WriteWholeFile("C:\\D\\short.bin", "abc", 3), 0);
  EXPECT_EQ(fake::FileContent("C:\\D\\short.bin"), "ab");
  fake::LimitWrite("C:\\D\\refused.bin", 3, false);
  EXPECT_EQ(package::WriteWholeFile("C:\\D\\refused.bin", "abc", 3), 0);
}

TEST_F(ExtractTest, DeletePackageFilesDeletesTheTableFilesOnly) {
  fake::SetPackage(bytes);
  ASSERT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
  fake::AddFile(std::string(TARGET) + "\\BrevikSetup.exe", "uninstaller");
  fake::SetReadOnly(PathOf(6));
  fake::ClearCalls();

  EXPECT_EQ(package::DeletePackageFiles(*state), 0);
  // Each file is opened relative to the held target folder and deleted
  // through its own handle; no path is resolved again.
  const auto relative = [](const std::string& path) {
    return path.substr(0, path.rfind('\\')) + " | " + path.substr(path.rfind('\\') + 1);
  };
  const Calls opens = fake::CallsOf("OpenHeldFile");
  ASSERT_EQ(opens.size(), package::PACKAGE_ENTRY_COUNT);
  EXPECT_EQ(opens[0], relative(PathOf(0)));
  EXPECT_EQ(opens[20], relative(PathOf(20)));
  EXPECT_EQ(fake::CallsOf("DeleteHeld").size(), package::PACKAGE_ENTRY_COUNT);
  EXPECT_TRUE(fake::CallsOf("RemoveFile").empty());
  EXPECT_EQ(fake::OpenHeldItems(), 0);
  const Calls left = fake::Paths();
  EXPECT_EQ(left, (Calls{"C:\\Program Files", "C:\\Program Files\\KV", TARGET,
                         std::string(TARGET) + "\\BrevikSetup.exe", PathOf(6)}));

  // Nothing left to delete: nothing changes.
  EXPECT_EQ(package::DeletePackageFiles(*state), 0);
  EXPECT_EQ(fake::Paths(), left);
}

}  // namespace

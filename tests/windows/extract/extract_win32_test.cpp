// Extraction of the sample package embedded in this test program: every file
// lands in a real folder byte for byte as in the payload, and the files that
// cannot be written are counted and left alone.
#include "package/extract.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "package/load_table.h"
#include "package/package_format.h"
#include "setup/folder_tree.h"
#include "tests/windows/platform/win_test_support.h"

namespace {

// Build-tree paths of the sample package and its manifest (Unix paths; empty
// when the build had no package).
constexpr const char* SAMPLE_PACKAGE = KV_SAMPLE_PACKAGE;
constexpr const char* SAMPLE_MANIFEST = KV_SAMPLE_MANIFEST;

// The payload files in table order, as Windows paths.
std::vector<std::string> ManifestFiles() {
  std::vector<std::string> files;
  const std::string text = win_test::ReadFile(win_test::FromUnix(SAMPLE_MANIFEST));
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) {
      end = text.size();
    }
    std::string line = text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
      line.pop_back();
    }
    if (!line.empty() && line[0] != '#') {
      files.push_back(win_test::FromUnix(line));
    }
  }
  return files;
}

class ExtractWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::strlen(SAMPLE_PACKAGE) == 0) {
      GTEST_SKIP() << "this build has no sample package";
    }
    app::ClearAppState(*state);
    state->instance = GetModuleHandleA(nullptr);
    target = folder.Path() + "\\KV\\Brevik";
    std::strcpy(state->targetFolder, target.c_str());
    ASSERT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_OK);
  }

  std::string PathOf(uint32_t index) const {
    return target + "\\" + package::ReadEntry(state->packageTable, index).name;
  }

  win_test::TempFolder folder;
  std::string target;
  std::unique_ptr<app::AppState> state = std::make_unique<app::AppState>();
};

TEST_F(ExtractWin32Test, TableIsThePackageHead) {
  const std::string package = win_test::ReadFile(win_test::FromUnix(SAMPLE_PACKAGE));
  ASSERT_GT(package.size(), package::PACKAGE_TABLE_SIZE);
  EXPECT_EQ(std::memcmp(state->packageTable.bytes, package.data(), package::PACKAGE_TABLE_SIZE),
            0);
}

TEST_F(ExtractWin32Test, EveryFileMatchesThePayload) {
  ASSERT_EQ(setup::CreateFolderTree(target.c_str()), 1);
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);

  const std::vector<std::string> payload = ManifestFiles();
  ASSERT_EQ(payload.size(), package::PACKAGE_ENTRY_COUNT);
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    bool extracted = false;
    bool original = false;
    const std::string got = win_test::ReadFile(PathOf(i), &extracted);
    const std::string want = win_test::ReadFile(payload[i], &original);
    ASSERT_TRUE(extracted) << PathOf(i);
    ASSERT_TRUE(original) << payload[i];
    EXPECT_TRUE(got == want) << PathOf(i) << " differs from " << payload[i];
  }
  const std::string tool = target + "\\" + package::SETUP_TOOL_NAME;
  EXPECT_TRUE(win_test::Exists(tool));

  // Again over the files already there: each is emptied and rewritten.
  ASSERT_TRUE(win_test::WriteFile(PathOf(20), std::string(5000000, 'x')));
  EXPECT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
  EXPECT_TRUE(win_test::ReadFile(PathOf(20)) == win_test::ReadFile(payload[20])) << PathOf(20);
}

TEST_F(ExtractWin32Test, MissingFolderFailsEveryEntry) {
  EXPECT_EQ(package::ExtractPackage(*state), -121);
  EXPECT_FALSE(win_test::Exists(target));
}

TEST_F(ExtractWin32Test, FileInUseIsCountedAndKept) {
  ASSERT_EQ(setup::CreateFolderTree(target.c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(PathOf(19), "running"));
  {
    win_test::HeldFile held(PathOf(19));
    ASSERT_TRUE(held.IsOpen());
    EXPECT_EQ(package::ExtractPackage(*state), -101);
    EXPECT_TRUE(win_test::Exists(PathOf(20)));

    // Deleting passes over it and removes the rest.
    package::DeletePackageFiles(*state);
    EXPECT_TRUE(win_test::Exists(PathOf(19)));
    EXPECT_FALSE(win_test::Exists(PathOf(18)));
    EXPECT_FALSE(win_test::Exists(PathOf(20)));
  }
  EXPECT_EQ(win_test::ReadFile(PathOf(19)), "running");
}

TEST_F(ExtractWin32Test, ReadOnlyFileIsKeptAndCounted) {
  ASSERT_EQ(setup::CreateFolderTree(target.c_str()), 1);
  ASSERT_TRUE(win_test::WriteFile(PathOf(0), "read-only"));
  ASSERT_TRUE(win_test::MakeReadOnly(PathOf(0)));
  package::DeletePackageFiles(*state);
  EXPECT_EQ(win_test::ReadFile(PathOf(0)), "read-only");
  if (!win_test::ReadOnlyIsEnforced(PathOf(0))) {
    GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
  }
  EXPECT_EQ(package::ExtractPackage(*state), -101);
  EXPECT_EQ(win_test::ReadFile(PathOf(0)), "read-only");
}

TEST_F(ExtractWin32Test, DeletePackageFilesLeavesOtherFilesAndTheFolder) {
  ASSERT_EQ(setup::CreateFolderTree(target.c_str()), 1);
  ASSERT_EQ(package::ExtractPackage(*state), package::EXTRACT_OK);
  ASSERT_TRUE(win_test::WriteFile(target + "\\BrevikSetup.exe", "uninstaller"));
  EXPECT_EQ(package::DeletePackageFiles(*state), 0);
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    EXPECT_FALSE(win_test::Exists(PathOf(i))) << PathOf(i);
  }
  EXPECT_TRUE(win_test::Exists(target + "\\BrevikSetup.exe"));
  EXPECT_EQ(package::DeletePackageFiles(*state), 0);
}

}  // namespace

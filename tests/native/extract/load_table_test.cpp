// Loading the package table: the size rule and the table left unchanged on
// failure.
#include "package/load_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake/fake_platform.h"
#include "tests/native/extract/test_package.h"

namespace {

namespace fake = platform::fake;

class LoadPackageTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state->instance = &instanceMarker;
    std::memset(state->packageTable.bytes, 0xAB, sizeof state->packageTable.bytes);
  }

  bool TableUnchanged() const {
    for (uint8_t byte : state->packageTable.bytes) {
      if (byte != 0xAB) {
        return false;
      }
    }
    return true;
  }

  int instanceMarker = 0;
  std::unique_ptr<app::AppState> state = extract_test::NewState();
};

TEST_F(LoadPackageTableTest, TableAloneIsNotEnough) {
  std::vector<uint8_t> bytes(package::PACKAGE_TABLE_SIZE, 0x11);
  fake::SetPackage(bytes);
  EXPECT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_FAILED);
  EXPECT_TRUE(TableUnchanged());
  EXPECT_EQ(fake::OpenPackages(), 0);

  bytes.push_back(0x22);
  fake::SetPackage(bytes);
  EXPECT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_OK);
  EXPECT_EQ(std::memcmp(state->packageTable.bytes, bytes.data(), package::PACKAGE_TABLE_SIZE), 0);
  EXPECT_EQ(fake::OpenPackages(), 0);
  EXPECT_EQ(fake::LastPackageModule(), &instanceMarker);
}

TEST_F(LoadPackageTableTest, MissingOrUnreadablePackageLeavesTheTable) {
  EXPECT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_FAILED);
  fake::SetPackageUnreadable();
  EXPECT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_FAILED);
  EXPECT_TRUE(TableUnchanged());
}

TEST_F(LoadPackageTableTest, CopiesTheWholeTableByteForByte) {
  std::vector<uint8_t> bytes = extract_test::Build(extract_test::MakeFiles(extract_test::SmallSizes()));
  ASSERT_FALSE(bytes.empty());
  // Bytes after a name's zero and the reserved field travel as they are.
  bytes[100] = 0x5A;
  bytes[package::ENTRY_RESERVED_AT] = 0x77;
  fake::SetPackage(bytes);
  EXPECT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_OK);
  EXPECT_EQ(std::memcmp(state->packageTable.bytes, bytes.data(), package::PACKAGE_TABLE_SIZE), 0);
  EXPECT_EQ(package::LoadPackageTable(*state), package::LOAD_TABLE_OK);
  EXPECT_EQ(std::memcmp(state->packageTable.bytes, bytes.data(), package::PACKAGE_TABLE_SIZE), 0);
}

}  // namespace

// The producing walk (BuildPackage) and the verifying walk (WalkPackage)
// along the key chain, including how damage spreads along the chain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "package/package_build.h"
#include "package/package_walk.h"
#include "package/scramble.h"
#include "platform/digest.h"
#include "tests/native/package/test_support.h"

namespace {

using package::ByteView;
using package::EntryOutcome;
using package::PackageTable;
using package::PackFile;
using package_test::MakeFiles;
using package_test::ReferenceStream;

// Sizes chosen so that every entry but one is long enough for a changed
// running value to reach its stream; entry 17 is empty.
const std::vector<uint32_t> kSizes = {700, 701, 64,  999, 1500, 333, 257, 100, 2048, 77, 1200,
                                      90,  4096, 5000, 300, 80,  0,   128, 129, 3000, 65};

struct Walk {
  uint32_t failures = 0;
  std::vector<EntryOutcome> outcomes;
  std::vector<std::vector<uint8_t>> plains;
};

Walk WalkBytes(const std::vector<uint8_t>& bytes, uint64_t size) {
  PackageTable table;
  std::memcpy(table.bytes, bytes.data(), sizeof table.bytes);
  Walk walk;
  walk.failures = package::WalkPackage(ByteView{bytes.data(), size}, table,
                                       [&walk](const EntryOutcome& outcome) {
                                         walk.outcomes.push_back(outcome);
                                         walk.plains.emplace_back();
                                         if (outcome.plain != nullptr) {
                                           walk.plains.back().assign(
                                               outcome.plain, outcome.plain + outcome.entry.size);
                                         }
                                       });
  return walk;
}

Walk WalkBytes(const std::vector<uint8_t>& bytes) { return WalkBytes(bytes, bytes.size()); }

std::set<uint32_t> FailedIndexes(const Walk& walk) {
  std::set<uint32_t> failed;
  for (const EntryOutcome& outcome : walk.outcomes) {
    if (!outcome.verified) {
      failed.insert(outcome.index);
    }
  }
  return failed;
}

class PackageWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files = MakeFiles(kSizes);
    ASSERT_EQ(package::BuildPackage(files, package::DEFAULT_RESERVED, bytes), package::BUILD_OK);
  }

  package::PackageEntry Entry(uint32_t index) const {
    PackageTable table;
    std::memcpy(table.bytes, bytes.data(), sizeof table.bytes);
    return package::ReadEntry(table, index);
  }

  void PatchEntry(uint32_t index, const package::PackageEntry& entry) {
    PackageTable table;
    std::memcpy(table.bytes, bytes.data(), sizeof table.bytes);
    package::WriteEntry(table, index, entry);
    std::memcpy(bytes.data(), table.bytes, sizeof table.bytes);
  }

  std::vector<PackFile> files;
  std::vector<uint8_t> bytes;
};

TEST_F(PackageWalkTest, BuildLaysOutEntriesBackToBackAfterTheTable) {
  uint64_t total = 3276;
  for (uint32_t size : kSizes) {
    total += size;
  }
  ASSERT_EQ(bytes.size(), total);
  uint32_t expectedOffset = 3276;
  for (uint32_t i = 0; i < 21; ++i) {
    const package::PackageEntry entry = Entry(i);
    EXPECT_STREQ(entry.name, files[i].name.c_str());
    // The bytes after the terminating zero are zero.
    for (size_t j = files[i].name.size(); j < 128; ++j) {
      ASSERT_EQ(entry.name[j], 0);
    }
    EXPECT_EQ(entry.offset, expectedOffset);
    EXPECT_EQ(entry.size, kSizes[i]);
    EXPECT_EQ(entry.reserved, package::DEFAULT_RESERVED);
    uint8_t digest[16];
    platform::Md5Digest(files[i].content.data(), kSizes[i], digest);
    EXPECT_EQ(std::memcmp(entry.digest, digest, 16), 0);
    expectedOffset += kSizes[i];
  }
  EXPECT_EQ(expectedOffset, bytes.size());
}

// The first two entries, recomputed with the stream model and the chain rule
// written out: key 0 and the start value, then MD5 of the stored first entry.
TEST_F(PackageWalkTest, BuildScramblesAlongTheChain) {
  const uint8_t zeroKey[16] = {};
  const std::vector<uint8_t> first = ReferenceStream(files[0].content, 0x3C91E2A7, zeroKey);
  ASSERT_TRUE(std::equal(first.begin(), first.end(), bytes.begin() + 3276));

  uint8_t storedDigest[16];
  platform::Md5Digest(first.data(), static_cast<uint32_t>(first.size()), storedDigest);
  const uint64_t square = (uint64_t{0x3C91E2A7} * 0x3C91E2A7) & 0xFFFFFFFFu;
  const uint32_t running = static_cast<uint32_t>(((square << 8) & 0xFFFFFFFFu) | storedDigest[0]);
  const std::vector<uint8_t> second = ReferenceStream(files[1].content, running, storedDigest);
  EXPECT_TRUE(std::equal(second.begin(), second.end(), bytes.begin() + 3276 + kSizes[0]));
}

TEST_F(PackageWalkTest, BuildIsDeterministicAndTakesTheReservedValue) {
  std::vector<uint8_t> again;
  ASSERT_EQ(package::BuildPackage(files, package::DEFAULT_RESERVED, again), package::BUILD_OK);
  EXPECT_EQ(again, bytes);
  ASSERT_EQ(package::BuildPackage(files, 0xCAFEF00D, again), package::BUILD_OK);
  EXPECT_EQ(package::ReadLe32(again.data() + 5 * 156 + 152), 0xCAFEF00Du);
}

TEST_F(PackageWalkTest, WalkGivesBackEveryFileInTableOrder) {
  const Walk walk = WalkBytes(bytes);
  EXPECT_EQ(walk.failures, 0u);
  ASSERT_EQ(walk.outcomes.size(), 21u);
  for (uint32_t i = 0; i < 21; ++i) {
    EXPECT_EQ(walk.outcomes[i].index, i);
    EXPECT_TRUE(walk.outcomes[i].inBounds);
    EXPECT_TRUE(walk.outcomes[i].verified);
    EXPECT_NE(walk.outcomes[i].plain, nullptr) << "even the empty entry has a block";
    EXPECT_EQ(walk.plains[i], files[i].content) << i;
  }
}

TEST_F(PackageWalkTest, ChangedStoredByteFailsItsEntryAndAtMostTheNextFour) {
  const uint32_t damaged = 4;
  bytes[Entry(damaged).offset + 10] ^= 0x01;
  const Walk walk = WalkBytes(bytes);
  const std::set<uint32_t> failed = FailedIndexes(walk);
  EXPECT_EQ(walk.failures, failed.size());
  EXPECT_TRUE(failed.count(damaged));
  // The next entry is unscrambled with a wholly different key.
  EXPECT_TRUE(failed.count(damaged + 1));
  for (uint32_t i = 0; i < 21; ++i) {
    if (i < damaged || i > damaged + 4) {
      EXPECT_FALSE(failed.count(i)) << "entry " << i + 1 << " should verify";
    }
  }
}

TEST_F(PackageWalkTest, WrongDigestFieldFailsOnlyItsOwnEntry) {
  package::PackageEntry entry = Entry(9);
  entry.digest[15] ^= 0x80;
  PatchEntry(9, entry);
  const Walk walk = WalkBytes(bytes);
  EXPECT_EQ(walk.failures, 1u);
  EXPECT_EQ(FailedIndexes(walk), std::set<uint32_t>{9});
  EXPECT_TRUE(walk.outcomes[9].inBounds);
  // The plain content is still the file: only the comparison failed.
  EXPECT_EQ(walk.plains[9], files[9].content);
}

TEST_F(PackageWalkTest, EntryEndingExactlyAtTheEndPassesOneByteMoreFails) {
  package::PackageEntry last = Entry(20);
  ASSERT_EQ(uint64_t{last.offset} + last.size, bytes.size());
  EXPECT_TRUE(WalkBytes(bytes).outcomes[20].verified);

  last.size += 1;
  PatchEntry(20, last);
  const Walk walk = WalkBytes(bytes);
  EXPECT_EQ(walk.failures, 1u);
  EXPECT_FALSE(walk.outcomes[20].inBounds);
  EXPECT_EQ(walk.outcomes[20].plain, nullptr);

  // The same through a package one byte short.
  last.size -= 1;
  PatchEntry(20, last);
  const Walk truncated = WalkBytes(bytes, bytes.size() - 1);
  EXPECT_EQ(truncated.failures, 1u);
  EXPECT_FALSE(truncated.outcomes[20].inBounds);
}

// A package whose entry 8 lies outside it, produced by a chain that skips
// that entry: the walk must skip it too, or entry 9 would not verify.
TEST(PackageWalk, OutOfBoundsEntryDoesNotMoveTheChain) {
  const std::vector<PackFile> files = MakeFiles(kSizes);
  const uint32_t skipped = 7;
  PackageTable table{};
  std::vector<uint8_t> data;
  package::KeyChain chain = package::StartChain();
  for (uint32_t i = 0; i < 21; ++i) {
    package::PackageEntry entry{};
    std::memcpy(entry.name, files[i].name.data(), files[i].name.size());
    entry.size = static_cast<uint32_t>(files[i].content.size());
    platform::Md5Digest(files[i].content.data(), entry.size, entry.digest);
    if (i == skipped) {
      entry.offset = 0xFFFFFF00u;
      package::WriteEntry(table, i, entry);
      continue;
    }
    entry.offset = static_cast<uint32_t>(3276 + data.size());
    std::vector<uint8_t> stored(entry.size);
    package::ScrambleBytes(stored.data(), files[i].content.data(), entry.size, chain.running,
                           chain.key);
    uint8_t storedDigest[16];
    platform::Md5Digest(stored.data(), entry.size, storedDigest);
    package::AdvanceChain(chain, storedDigest);
    data.insert(data.end(), stored.begin(), stored.end());
    package::WriteEntry(table, i, entry);
  }
  std::vector<uint8_t> bytes(table.bytes, table.bytes + sizeof table.bytes);
  bytes.insert(bytes.end(), data.begin(), data.end());

  const Walk walk = WalkBytes(bytes);
  EXPECT_EQ(walk.failures, 1u);
  EXPECT_EQ(FailedIndexes(walk), std::set<uint32_t>{skipped});
  EXPECT_FALSE(walk.outcomes[skipped].inBounds);
  EXPECT_EQ(walk.plains[skipped + 1], files[skipped + 1].content);
}

TEST_F(PackageWalkTest, UnsafeNamesStillVerifyAndMoveTheChain) {
  package::PackageEntry entry = Entry(2);
  std::memset(entry.name, 0, sizeof entry.name);
  std::memcpy(entry.name, "..\\evil.dll", 11);
  PatchEntry(2, entry);
  entry = Entry(3);
  std::memset(entry.name, 'A', sizeof entry.name);  // no zero byte at all
  PatchEntry(3, entry);

  const Walk walk = WalkBytes(bytes);
  EXPECT_EQ(walk.failures, 0u);
  EXPECT_TRUE(walk.outcomes[2].verified);
  EXPECT_TRUE(walk.outcomes[3].verified);
  EXPECT_FALSE(package::EntryNameIsSafe(walk.outcomes[2].entry));
  EXPECT_FALSE(package::EntryNameIsSafe(walk.outcomes[3].entry));
}

TEST(BuildPackage, RefusesWrongCountsAndUnsafeNames) {
  std::vector<uint8_t> out = {1, 2, 3};
  std::vector<PackFile> files = MakeFiles(std::vector<uint32_t>(20, 10));
  EXPECT_EQ(package::BuildPackage(files, 0, out), package::BUILD_WRONG_COUNT);
  files = MakeFiles(std::vector<uint32_t>(22, 10));
  EXPECT_EQ(package::BuildPackage(files, 0, out), package::BUILD_WRONG_COUNT);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3})) << "out is filled only on success";

  files = MakeFiles(std::vector<uint32_t>(21, 10));
  const std::string bad[] = {"",          std::string(128, 'x'), "sub/file", "sub\\file",
                             "c:file",    "..",                  ".",        "a..b",
                             std::string("nul\0byte", 8), "file14.bin.", "file14.bin ",
                             "FILE~1.BIN", "FILE02.BIN"};
  for (const std::string& name : bad) {
    std::vector<PackFile> named = files;
    named[13].name = name;
    uint32_t badIndex = 99;
    EXPECT_EQ(package::BuildPackage(named, 0, out, &badIndex), package::BUILD_BAD_NAME) << name;
    EXPECT_EQ(badIndex, 13u);
  }
  files[13].name = std::string(127, 'x');
  EXPECT_EQ(package::BuildPackage(files, 0, out), package::BUILD_OK);
  EXPECT_EQ(WalkBytes(out).failures, 0u);
}

}  // namespace

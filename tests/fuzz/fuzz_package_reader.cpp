// Fuzz target: the package reader. The input is the package resource's
// bytes. LoadPackageTable reads it through the in-memory platform, then the
// verifying walk runs over it along the key chain. Checked on every input:
// the table loads exactly when the package is larger than the table, the walk
// reports each entry once in table order and counts its failures right,
// every verified entry's plain content has the stored digest, and a package
// whose entries all verify and lie back to back is what the producing walk
// makes of the same files.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "package/load_table.h"
#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_build.h"
#include "package/package_walk.h"
#include "platform/digest.h"
#include "platform/fake/fake_platform.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using fuzz::Require;

// Loads the table through the platform seam, as the setup procedures do.
void CheckLoadTable(const std::vector<uint8_t>& bytes, app::AppState& state) {
  platform::fake::Reset();
  platform::fake::SetPackage(bytes);
  std::memset(state.packageTable.bytes, 0xA5, package::PACKAGE_TABLE_SIZE);
  const int result = package::LoadPackageTable(state);
  const bool large = bytes.size() > package::PACKAGE_TABLE_SIZE;
  Require(result == (large ? package::LOAD_TABLE_OK : package::LOAD_TABLE_FAILED),
          "LoadPackageTable loads exactly the packages larger than the table");
  if (large) {
    Require(std::memcmp(state.packageTable.bytes, bytes.data(), package::PACKAGE_TABLE_SIZE) == 0,
            "the loaded table is the package's first 3276 bytes");
  } else {
    for (uint8_t byte : state.packageTable.bytes) {
      Require(byte == 0xA5, "a failed load leaves the table unchanged");
    }
  }
  Require(platform::fake::OpenPackages() == 0, "the package view is released");
}

// Every file the walk saw, for the rebuilding check.
struct Seen {
  uint32_t count = 0;
  uint32_t failures = 0;
  bool rebuildable = true;
  uint64_t nextOffset = package::PACKAGE_TABLE_SIZE;
  std::vector<package::PackFile> files;
};

void CheckWalk(const std::vector<uint8_t>& bytes, const package::PackageTable& table) {
  const package::ByteView view{bytes.data(), bytes.size()};
  Seen seen;
  const uint32_t reserved = package::ReadEntry(table, 0).reserved;
  const uint32_t failures =
      package::WalkPackage(view, table, [&](const package::EntryOutcome& outcome) {
        Require(outcome.index == seen.count, "entries are visited once each, in table order");
        ++seen.count;
        const package::PackageEntry& entry = outcome.entry;
        Require(outcome.inBounds == package::EntryInBounds(entry, view.size),
                "the walk's bound test agrees with EntryInBounds");
        if (!outcome.inBounds) {
          Require(outcome.plain == nullptr && !outcome.verified,
                  "an out-of-bounds entry is neither unscrambled nor verified");
        }
        if (outcome.verified) {
          Require(outcome.plain != nullptr, "a verified entry has its plain content");
          uint8_t digest[package::DIGEST_SIZE];
          Require(platform::Md5Digest(outcome.plain, entry.size, digest) == 1 &&
                      std::memcmp(digest, entry.digest, package::DIGEST_SIZE) == 0,
                  "a verified entry's plain content has the stored digest");
        } else {
          ++seen.failures;
        }
        // The producing walk lays entries back to back after the table with
        // one reserved value; only such a package can be rebuilt byte for byte.
        if (!outcome.verified || entry.offset != seen.nextOffset ||
            entry.reserved != reserved) {
          seen.rebuildable = false;
          return;
        }
        seen.nextOffset += entry.size;
        const char* name = entry.name;
        seen.files.push_back(
            {std::string(name, strnlen(name, package::PACKAGE_NAME_SIZE)),
             std::vector<uint8_t>(outcome.plain, outcome.plain + entry.size)});
      });
  Require(seen.count == package::PACKAGE_ENTRY_COUNT, "the walk visits all 21 entries");
  Require(failures == seen.failures, "the walk returns the number of entries not verified");
  if (!seen.rebuildable || seen.nextOffset != view.size) {
    return;
  }
  std::vector<uint8_t> rebuilt;
  const int built = package::BuildPackage(seen.files, reserved, rebuilt);
  if (built == package::BUILD_BAD_NAME) {
    return;  // names the builder refuses can still be read
  }
  Require(built == package::BUILD_OK, "a readable package's files can be packed again");
  // The builder clears each name field after its zero byte; a reader
  // ignores those bytes, so they may hold anything.
  std::vector<uint8_t> expected = bytes;
  for (uint32_t index = 0; index < package::PACKAGE_ENTRY_COUNT; ++index) {
    uint8_t* name = expected.data() + index * package::PACKAGE_ENTRY_SIZE;
    const size_t length = strnlen(reinterpret_cast<const char*>(name), package::PACKAGE_NAME_SIZE);
    std::memset(name + length, 0, package::PACKAGE_NAME_SIZE - length);
  }
  Require(rebuilt == expected, "packing the files of a verified package gives the same bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  // The record is large (several kilobytes of texts): keep it off the stack.
  static const std::unique_ptr<app::AppState> state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  CheckLoadTable(bytes, *state);
  // The walk also runs over the table of a too-short package, as extraction
  // does: every entry then fails its bound test.
  CheckWalk(bytes, state->packageTable);
  platform::fake::Reset();
  return 0;
}

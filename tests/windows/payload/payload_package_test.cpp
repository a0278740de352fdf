// package.bin as the build packed it: the 21 files of the packed manifest, in
// its order, each verified along the key chain and equal to its file.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "package/package_walk.h"
#include "tests/windows/payload/payload_test_support.h"

namespace payload_test {
namespace {

std::vector<uint8_t> ReadWhole(const std::string& windowsPath) {
  std::ifstream in(windowsPath, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The manifest's paths as Windows paths, comments and blank lines skipped.
// The build checked at configure time that they are absolute or resolved
// them; the sample manifest holds absolute paths only.
std::vector<std::string> ManifestPaths(const std::string& unixPath) {
  std::ifstream in(ToWindowsPath(unixPath));
  std::vector<std::string> paths;
  std::string line;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const size_t end = line.find_last_not_of(" \t\r");
    std::string path = line.substr(start, end - start + 1);
    if (path[0] != '/') {
      path = unixPath.substr(0, unixPath.find_last_of('/') + 1) + path;
    }
    paths.push_back(ToWindowsPath(path));
  }
  return paths;
}

std::string BaseName(const std::string& windowsPath) { return windowsPath.substr(windowsPath.find_last_of('\\') + 1); }

TEST(PackedPackage, HoldsTheManifestsFilesInOrderAndVerifies) {
  const std::vector<uint8_t> bytes = ReadWhole(ToWindowsPath(KV_PACKAGE_BIN));
  const std::vector<std::string> paths = ManifestPaths(KV_PAYLOAD_MANIFEST);
  ASSERT_EQ(paths.size(), package::PACKAGE_ENTRY_COUNT);

  package::PackageTable table;
  ASSERT_EQ(package::CopyPackageTable(package::ByteView{bytes.data(), bytes.size()}, table), 0);
  uint64_t expectedOffset = package::PACKAGE_TABLE_SIZE;
  std::vector<std::vector<uint8_t>> files;
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    const package::PackageEntry entry = package::ReadEntry(table, i);
    files.push_back(ReadWhole(paths[i]));
    EXPECT_EQ(std::string(entry.name), BaseName(paths[i])) << "entry " << i + 1;
    EXPECT_EQ(entry.offset, expectedOffset) << "entry " << i + 1;
    EXPECT_EQ(entry.size, files.back().size()) << "entry " << i + 1;
    expectedOffset = static_cast<uint64_t>(entry.offset) + entry.size;
  }
  EXPECT_EQ(expectedOffset, bytes.size()) << "the last entry ends the package";

  uint32_t visited = 0;
  const uint32_t unverified =
      package::WalkPackage(package::ByteView{bytes.data(), bytes.size()}, table, [&](const package::EntryOutcome& o) {
        ++visited;
        ASSERT_NE(o.plain, nullptr) << "entry " << o.index + 1;
        EXPECT_TRUE(o.verified) << "entry " << o.index + 1;
        EXPECT_TRUE(std::equal(o.plain, o.plain + o.entry.size, files[o.index].begin(), files[o.index].end()))
            << "entry " << o.index + 1 << " differs from " << paths[o.index];
      });
  EXPECT_EQ(unverified, 0u);
  EXPECT_EQ(visited, package::PACKAGE_ENTRY_COUNT);
}

}  // namespace
}  // namespace payload_test

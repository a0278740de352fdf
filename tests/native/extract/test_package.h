// Test packages built in memory, and editing of their table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_walk.h"

namespace extract_test {

// 21 files "file01.bin" to "file21.bin" with deterministic contents; file n
// is `sizes[n - 1]` bytes long.
inline std::vector<package::PackFile> MakeFiles(const std::vector<uint32_t>& sizes) {
  std::vector<package::PackFile> files;
  uint32_t x = 0x9E3779B9u;
  for (size_t i = 0; i < sizes.size(); ++i) {
    std::string name = "file00.bin";
    name[4] = static_cast<char>('0' + (i + 1) / 10);
    name[5] = static_cast<char>('0' + (i + 1) % 10);
    std::vector<uint8_t> content(sizes[i]);
    for (uint8_t& byte : content) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      byte = static_cast<uint8_t>(x >> 24);
    }
    files.push_back({name, content});
  }
  return files;
}

inline std::vector<uint32_t> SmallSizes() {
  std::vector<uint32_t> sizes;
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    sizes.push_back(40 + 13 * i);
  }
  return sizes;
}

inline std::vector<uint8_t> Build(const std::vector<package::PackFile>& files) {
  std::vector<uint8_t> bytes;
  if (package::BuildPackage(files, package::DEFAULT_RESERVED, bytes) != package::BUILD_OK) {
    bytes.clear();
  }
  return bytes;
}

// Reads and rewrites entry `index` (0-based) of the table at the start of
// `bytes`.
inline package::PackageEntry EntryOf(const std::vector<uint8_t>& bytes, uint32_t index) {
  package::PackageTable table;
  std::copy(bytes.begin(), bytes.begin() + package::PACKAGE_TABLE_SIZE, table.bytes);
  return package::ReadEntry(table, index);
}

inline void SetEntry(std::vector<uint8_t>& bytes, uint32_t index,
                     const package::PackageEntry& entry) {
  package::PackageTable table;
  std::copy(bytes.begin(), bytes.begin() + package::PACKAGE_TABLE_SIZE, table.bytes);
  package::WriteEntry(table, index, entry);
  std::copy(table.bytes, table.bytes + package::PACKAGE_TABLE_SIZE, bytes.begin());
}

inline std::string AsText(const std::vector<uint8_t>& content) {
  return std::string(content.begin(), content.end());
}

// A cleared state on the heap (the record is large).
inline std::unique_ptr<app::AppState> NewState() {
  auto state = std::make_unique<app::AppState>();
  app::ClearAppState(*state);
  return state;
}

}  // namespace extract_test

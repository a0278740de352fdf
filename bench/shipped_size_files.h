// Files of the shipped package's 21 entry sizes (3,527,217 bytes in all),
// filled with pseudo-random bytes, for timing the package code on the amount
// of data it really handles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_walk.h"

namespace benchdata {

// The entry sizes of the shipped package, in table order.
inline constexpr uint32_t SHIPPED_SIZES[package::PACKAGE_ENTRY_COUNT] = {
    7358,  7358,  8859,   28392,  8855, 28392, 8847, 27880, 8867,    33512, 8863,
    33512, 888552, 897256, 4165, 4161,  4602,  4173, 4169,  1505568, 3876};

// Entries "entry1.bin" to "entry21.bin" of the shipped sizes; the same bytes
// on every call.
inline std::vector<package::PackFile> ShippedSizeFiles() {
  std::vector<package::PackFile> files;
  uint32_t x = 0x12345678u;
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    package::PackFile file;
    file.name = "entry" + std::to_string(i + 1) + ".bin";
    file.content.resize(SHIPPED_SIZES[i]);
    for (uint8_t& byte : file.content) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      byte = static_cast<uint8_t>(x);
    }
    files.push_back(std::move(file));
  }
  return files;
}

}  // namespace benchdata

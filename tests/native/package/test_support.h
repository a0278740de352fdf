// Helpers shared by the package tests: an independent model of the key
// stream and pseudo-random test files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_build.h"
#include "package/package_walk.h"

namespace package_test {

// The key stream computed the long way: 64-bit products reduced by masking,
// and the signed shift as a floor division of the signed value of q by 256.
// With `logicalShift` set it models the faulty unsigned shift instead.
inline std::vector<uint8_t> ReferenceStream(const std::vector<uint8_t>& source, uint32_t running,
                                            const uint8_t key[16], bool logicalShift = false) {
  const uint64_t mask = 0xFFFFFFFFull;
  const uint64_t length = source.size();
  uint64_t r = running;
  std::vector<uint8_t> out(source.size());
  for (uint64_t i = 0; i < length; ++i) {
    const uint64_t n = length - i;
    const uint64_t s = (r + n) & mask;
    const uint64_t q = (s * s) & mask;
    const uint64_t m = ((q % 256) + ((q / 256) % 256) + key[n % 16]) % 256;
    out[i] = static_cast<uint8_t>(source[i] ^ m);
    if (logicalShift) {
      r = q / 256;
    } else {
      const int64_t signedQ = q >= 0x80000000ull ? static_cast<int64_t>(q) - 0x100000000ll
                                                 : static_cast<int64_t>(q);
      int64_t shifted = signedQ / 256;
      if (signedQ % 256 != 0 && signedQ < 0) {
        shifted -= 1;  // floor, not truncation toward zero
      }
      r = static_cast<uint64_t>(shifted) & mask;
    }
  }
  return out;
}

// Deterministic pseudo-random bytes (xorshift), different for each seed.
inline std::vector<uint8_t> PseudoRandomBytes(uint32_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = seed * 2654435761u + 1u;
  for (uint32_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}

// One file per size, named "file01.bin", "file02.bin", ... in order.
inline std::vector<package::PackFile> MakeFiles(const std::vector<uint32_t>& sizes) {
  std::vector<package::PackFile> files;
  for (uint32_t i = 0; i < sizes.size(); ++i) {
    const std::string name = "file" + std::string(i + 1 < 10 ? "0" : "") + std::to_string(i + 1) + ".bin";
    files.push_back({name, PseudoRandomBytes(sizes[i], i + 1)});
  }
  return files;
}

}  // namespace package_test

// The verifying walk over a package's 21 entries along the key chain, shared
// by extraction (which writes files) and kvpack (which lists, verifies and
// extracts), and the producing walk that builds a package.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "package/package_format.h"

namespace package {

// What the walk learnt about one entry. `plain` points at the unscrambled
// content (size `entry.size`) while the callback runs, and is null when the
// entry was not unscrambled (out of bounds, or no buffer could be had).
struct EntryOutcome {
  uint32_t index;  // 0 to 20
  PackageEntry entry;
  int inBounds;    // 1 when the data lies inside the package
  int verified;    // 1 when the digest of the plain content matches
  const uint8_t* plain;
};

using EntryVisitor = std::function<void(const EntryOutcome&)>;

// Walks entries 1 to 21 of `table` over the bytes of `package` in table order:
// out-of-bounds entries do not move the chain; every other entry is
// unscrambled into a private buffer (the package is only read), checked
// against its digest, handed to `visit`, and the chain then advances with the
// digest of its stored data. Returns the number of entries not verified.
uint32_t WalkPackage(ByteView package, const PackageTable& table, const EntryVisitor& visit);

// One file to pack: its entry name and plain content.
struct PackFile {
  std::string name;
  std::vector<uint8_t> content;
};

inline constexpr int BUILD_OK = 0;
inline constexpr int BUILD_WRONG_COUNT = -1;     // not exactly 21 files
inline constexpr int BUILD_BAD_NAME = -2;        // empty, over 127 bytes, or with a folder part
inline constexpr int BUILD_TOO_LARGE = -3;       // an offset or the end would pass 4 GiB
inline constexpr int BUILD_DIGEST_FAILED = -4;   // the MD5 facility failed
inline constexpr int BUILD_NO_MEMORY = -5;       // the package could not be held in memory

// Produces a package from 21 files in table order: each entry's digest is the
// MD5 of its plain content, its stored data the content scrambled with the
// current chain, after which the chain advances with the MD5 of the stored
// data. `out` is filled only on BUILD_OK. `badIndex` names the offending file
// for BUILD_BAD_NAME. Names are refused by the rule of EntryNameIsSafe, and
// also when they hold a zero byte or do not fit the 128-byte field.
int BuildPackage(const std::vector<PackFile>& files, uint32_t reserved, std::vector<uint8_t>& out,
                 uint32_t* badIndex = nullptr);

}  // namespace package

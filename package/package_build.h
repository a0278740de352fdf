// Building a package from its 21 files: the producing walk that lays out the
// table and scrambles each entry along the key chain. Host tools and tests
// use it; the setup program only reads packages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_format.h"

namespace package {

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

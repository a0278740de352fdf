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

// Why `files[index].name` cannot name entry `index`: its own problem
// (CheckEntryName; a zero byte inside it is a bad character), or
// NAME_SAME_FILE when it names the same file on Windows as an earlier
// file's name, whose index then goes to `earlier`. NAME_OK when it may be
// packed. The names before `index` are taken to have passed already.
int CheckPackName(const std::vector<PackFile>& files, uint32_t index, uint32_t& earlier);

inline constexpr int BUILD_OK = 0;
inline constexpr int BUILD_WRONG_COUNT = -1;     // not exactly 21 files
inline constexpr int BUILD_BAD_NAME = -2;        // CheckPackName refuses a name
inline constexpr int BUILD_TOO_LARGE = -3;       // an offset or the end would pass 4 GiB
inline constexpr int BUILD_DIGEST_FAILED = -4;   // the MD5 facility failed
inline constexpr int BUILD_NO_MEMORY = -5;       // the package could not be held in memory

// Produces a package from 21 files in table order: each entry's digest is the
// MD5 of its plain content, its stored data the content scrambled with the
// current chain, after which the chain advances with the MD5 of the stored
// data. `out` is filled only on BUILD_OK. `badIndex` names the offending file
// for BUILD_BAD_NAME: so the builder never makes a package whose entries the
// setup program would refuse to write.
int BuildPackage(const std::vector<PackFile>& files, uint32_t reserved, std::vector<uint8_t>& out,
                 uint32_t* badIndex = nullptr);

}  // namespace package

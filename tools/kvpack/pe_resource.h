// Finding the package inside a built Windows program: the raw-data resource
// RCDATA 100 of a PE32 or PE32+ file, read from the file's bytes alone, so
// that a shipped setup program can be audited on any host without running it.
#pragma once

#include <cstdint>
#include <string>

#include "package/package_format.h"

namespace kvpack {

inline constexpr uint32_t PACKAGE_RESOURCE_TYPE = 10;  // RT_RCDATA
inline constexpr uint32_t PACKAGE_RESOURCE_ID = 100;

inline constexpr int RESOURCE_FOUND = 0;
inline constexpr int RESOURCE_MISSING = -1;    // a sound program without RCDATA 100
inline constexpr int RESOURCE_MALFORMED = -2;  // headers or resource tree unfit to read
inline constexpr int RESOURCE_SEVERAL = -3;    // RCDATA 100 in more than one language

// Languages of RCDATA 100 that are named in a PackageResource.
inline constexpr uint32_t MAX_LISTED_LANGUAGES = 8;

// Where the package was found.
struct PackageResource {
  package::ByteView package;  // the resource's bytes, a part of the file's bytes
  uint64_t fileOffset = 0;    // position of the first package byte in the file
  uint32_t languageCount = 0; // language entries of RCDATA 100
  // The first language entries' raw identifier fields, in the tree's order;
  // with RESOURCE_FOUND, languages[0] is the package's.
  uint32_t languages[MAX_LISTED_LANGUAGES] = {};
};

// 1 when `file` starts with "MZ" and its DOS header leads to a "PE\0\0"
// signature inside the file: such a file is read as a program, any other as a
// bare package. Nothing past the signature is looked at here.
int IsProgramImage(package::ByteView file);

// Finds RCDATA 100 in the program image `file` (the whole file's bytes). The
// file is treated as hostile: every offset, count and size is checked against
// the bytes at hand before use, the resource tree is followed exactly three
// levels (type, name, language) and no memory is taken. Returns
// RESOURCE_FOUND and fills `found`, whose view then lies inside `file`; or
// RESOURCE_MISSING; or RESOURCE_SEVERAL, with the languages in `found` and no
// view, when RCDATA 100 has more than one language (the system's loader
// would pick one by the user's language); or RESOURCE_MALFORMED with a short
// lower-case reason in `error` ("its section table ends past the end of the
// file"), also when the tree lists RCDATA, or 100 under it, more than once.
int FindPackageResource(package::ByteView file, PackageResource& found, std::string& error);

}  // namespace kvpack

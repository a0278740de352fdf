// Fuzz target: kvpack's reading of a build manifest. The input is the
// manifest's text; it is split into items as `kvpack build` does, and each
// item's file name goes through the entry-name rules. Checked on every input:
// items keep the order and line numbers of the text, relative paths are
// joined to the manifest's folder, no item is blank, and a name those rules
// accept is one the package builder takes too.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_walk.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/kvpack/manifest.h"

namespace {

using fuzz::Require;

// The builder's own name test, reached through the smallest package it
// accepts: 21 empty files, the first under `name`, the others under filler
// names that differ from it.
bool BuilderTakesName(const std::string& name) {
  std::string extension = ".bin";
  for (uint32_t i = 1; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    const std::string filler = "fill" + std::to_string(10 + i) + extension;
    if (package::SameFileName(name.c_str(), filler.c_str())) {
      extension = ".dat";
    }
  }
  std::vector<package::PackFile> files(package::PACKAGE_ENTRY_COUNT);
  files[0].name = name;
  for (uint32_t i = 1; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    files[i].name = "fill" + std::to_string(10 + i) + extension;
  }
  std::vector<uint8_t> out;
  return package::BuildPackage(files, package::DEFAULT_RESERVED, out) == package::BUILD_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path folder("/manifests");
  std::vector<kvpack::ManifestItem> items;
  std::string error;
  const int parsed = kvpack::ParseManifest(text, folder, items, error);
  Require(parsed == 1 || parsed == 0, "ParseManifest answers 1 or 0");
  if (parsed == 0) {
    Require(!error.empty(), "a refused manifest says why");
    Require(text.find('\0') != std::string::npos, "only a zero byte makes a manifest unreadable");
    return 0;
  }

  uint32_t lines = 1;
  for (char c : text) {
    lines += c == '\n' ? 1 : 0;
  }
  uint32_t previousLine = 0;
  // Packing is dear next to parsing: the builder is asked about the first
  // few accepted names only.
  uint32_t builderChecks = 8;
  for (const kvpack::ManifestItem& item : items) {
    Require(item.line > previousLine && item.line <= lines,
            "items keep the order of their lines, one per line at most");
    previousLine = item.line;
    Require(!item.path.empty() && item.path.is_absolute(),
            "every item names a path, joined to the manifest's folder when relative");
    const std::string name = item.path.filename().string();
    const std::string problem = kvpack::EntryNameProblem(name);
    if (problem.empty() && builderChecks > 0) {
      --builderChecks;
      Require(BuilderTakesName(name), "a name kvpack accepts is one the builder takes");
    }
  }
  // Every line that holds anything other than blanks, and does not start
  // with '#', gives exactly one item.
  uint32_t expected = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end;
    const size_t first = text.find_first_not_of(" \t\r\n\f\v", start);
    if (first != std::string::npos && first < end && text[first] != '#') {
      ++expected;
    }
    start = end + 1;
  }
  Require(items.size() == expected, "one item per line that is neither blank nor a comment");
  return 0;
}

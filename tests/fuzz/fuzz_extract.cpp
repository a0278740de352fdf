// Fuzz target: extraction against the in-memory platform. The input is the
// package resource's bytes; ExtractPackage writes its entries into a target
// folder of the fake file system and DeletePackageFiles removes them again.
// Checked on every input: nothing is ever written, created or removed outside
// the target folder (files planted beside it and elsewhere stay as they were,
// and every write names a file directly inside the target folder), the
// result follows the failure count of the verifying walk, every written file
// holds the content of a verified entry, and after the deletion the target
// folder is empty again.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "package/extract.h"
#include "package/package_format.h"
#include "package/package_walk.h"
#include "platform/fake/fake_platform.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

namespace fake = platform::fake;
using fuzz::Require;

constexpr const char* kTarget = "C:\\Program Files\\Kelvane\\Brevik";
// Files planted around the target folder: beside it, above it, at the drive
// root and in the Windows folder. The names are those a traversal would aim
// at.
const std::map<std::string, std::string>& Planted() {
  static const std::map<std::string, std::string> planted = {
      {"C:\\Program Files\\Kelvane\\keep.txt", "beside"},
      {"C:\\Program Files\\Kelvane\\Brevik.bin", "prefix sibling"},
      {"C:\\Program Files\\keep.txt", "above"},
      {"C:\\keep.txt", "root"},
      {"C:\\WINDOWS\\system.ini", "windows"},
  };
  return planted;
}

std::string Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return result;
}

// True when `path` names a file directly inside the target folder: the
// folder, one backslash, then a name without any further separator.
bool DirectlyInTarget(const std::string& path) {
  static const std::string prefix = Upper(std::string(kTarget) + "\\");
  const std::string upper = Upper(path);
  if (upper.size() <= prefix.size() || upper.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  const std::string name = upper.substr(prefix.size());
  return name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

void ExpectPlantedIntact() {
  for (const auto& [path, content] : Planted()) {
    Require(fake::FileExists(path) && fake::FileContent(path) == content,
            "files outside the target folder are left as they were");
  }
}

// Every path of the fake file system is a planted file, a folder on the way
// to one or to the target, or a file directly inside the target folder.
// Returns the number of files in the target folder.
uint32_t CheckFileSystem() {
  static const std::map<std::string, bool> folders = {
      {"C:\\PROGRAM FILES", true}, {"C:\\PROGRAM FILES\\KELVANE", true},
      {Upper(kTarget), true},      {"C:\\WINDOWS", true}};
  uint32_t inTarget = 0;
  for (const std::string& path : fake::Paths()) {
    const std::string upper = Upper(path);
    if (folders.count(upper) != 0) {
      Require(fake::FolderExists(path), "the folders around the target stay folders");
      continue;
    }
    bool planted = false;
    for (const auto& entry : Planted()) {
      planted = planted || Upper(entry.first) == upper;
    }
    if (planted) {
      continue;
    }
    Require(DirectlyInTarget(path), "no path is made outside the target folder");
    Require(fake::FileExists(path), "only files are made in the target folder");
    ++inTarget;
  }
  ExpectPlantedIntact();
  return inTarget;
}

void CheckCalls() {
  for (const std::string& call : fake::CallsOf("WriteFileBlock")) {
    // "path length": the path is everything before the last space.
    const size_t space = call.rfind(' ');
    Require(space != std::string::npos && DirectlyInTarget(call.substr(0, space)),
            "every write names a file directly inside the target folder");
  }
  // Removals go through handles opened relative to the held target folder.
  for (const std::string& call : fake::CallsOf("DeleteHeld")) {
    Require(DirectlyInTarget(call), "every removal names a file directly inside the target folder");
  }
  for (const std::string& call : fake::CallsOf("OpenHeldFile")) {
    const size_t bar = call.find(" | ");
    Require(bar != std::string::npos && DirectlyInTarget(call.substr(0, bar) + "\\" + call.substr(bar + 3)),
            "every file opened for removal is a name directly inside the target folder");
  }
  Require(fake::CallsOf("RemoveFile").empty(), "nothing is removed by path");
  Require(fake::CallsOf("CreateFolder").empty() && fake::CallsOf("RemoveFolder").empty(),
          "extraction neither creates nor removes folders");
}

// The walk on its own, for the expected result and contents: the verified
// entries whose names may be written (safe, and no other entry's file), by
// upper-case path.
struct Expected {
  uint32_t failures = 0;
  std::map<std::string, std::string> files;
};

Expected Predict(const std::vector<uint8_t>& bytes, const package::PackageTable& table) {
  Expected expected;
  uint32_t unsafeNames = 0;
  const uint32_t unverified = package::WalkPackage(
      package::ByteView{bytes.data(), bytes.size()}, table,
      [&](const package::EntryOutcome& outcome) {
        if (!outcome.verified) {
          return;  // counted by the walk
        }
        // The target's path is short, so any safe name fits; the fake file
        // system refuses no write inside the target folder.
        if (!package::EntryMayBeWritten(table, outcome.index)) {
          ++unsafeNames;
          return;
        }
        const std::string path = std::string(kTarget) + "\\" + outcome.entry.name;
        Require(expected.files.count(Upper(path)) == 0, "no two written entries share a file");
        expected.files[Upper(path)] =
            std::string(reinterpret_cast<const char*>(outcome.plain), outcome.entry.size);
      });
  expected.failures = unverified + unsafeNames;
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  static const std::unique_ptr<app::AppState> state = std::make_unique<app::AppState>();

  fake::Reset();
  for (const auto& [path, content] : Planted()) {
    fake::AddFile(path, content);
  }
  fake::AddFolder(kTarget);
  fake::SetPackage(bytes);
  app::ClearAppState(*state);
  std::strcpy(state->targetFolder, kTarget);

  const int result = package::ExtractPackage(*state);
  Require(fake::OpenPackages() == 0, "the package view is released");
  const uint32_t written = CheckFileSystem();
  CheckCalls();

  // The table extraction used: the package's own, or the cleared one when
  // the package is not larger than the table.
  const Expected expected = Predict(bytes, state->packageTable);
  Require(written == expected.files.size(), "exactly the verified, safely named entries are written");
  for (const auto& [path, content] : expected.files) {
    Require(fake::FileContent(path) == content, "a written file holds its entry's plain content");
  }
  Require(result == (expected.failures == 0 ? package::EXTRACT_OK
                                             : package::ExtractFailureResult(expected.failures)),
          "the result counts the unverified and the unsafely named entries");

  package::DeletePackageFiles(*state);
  Require(CheckFileSystem() == 0, "deleting the package's files empties the target folder");
  CheckCalls();
  fake::Reset();
  return 0;
}

// Fuzz target: kvpack's reading of a package file or of a Windows program
// that carries one as RCDATA 100. The input is the file's bytes; the PE
// reader looks for the resource, and `list` and `verify` run over the bytes
// in memory. Checked on every input: a found resource lies inside the file,
// the reader's answers are the documented ones, a program with several
// package languages is refused by both commands with their own exit code,
// and `list` and `verify` agree on how many entries verify.
#include <cstdint>
#include <sstream>
#include <string>

#include "package/package_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/kvpack/commands.h"
#include "tools/kvpack/exit_codes.h"
#include "tools/kvpack/pe_resource.h"

namespace {

using fuzz::Require;

// The count in "N of 21 entries verify" at the end of `report`, or -1. The
// last line is the one: an entry name may hold the same words.
int VerifiedCount(const std::string& report) {
  const std::string tail = " of 21 entries verify";
  const size_t at = report.rfind(tail);
  if (at == std::string::npos) {
    return -1;
  }
  size_t begin = at;
  while (begin > 0 && report[begin - 1] >= '0' && report[begin - 1] <= '9') {
    --begin;
  }
  return begin == at ? -1 : std::stoi(report.substr(begin, at - begin));
}

int CheckResource(package::ByteView file) {
  kvpack::PackageResource found;
  std::string error;
  const int result = kvpack::FindPackageResource(file, found, error);
  if (kvpack::IsProgramImage(file) != 1) {
    Require(result == kvpack::RESOURCE_MALFORMED, "a file that is no program is refused");
  }
  switch (result) {
    case kvpack::RESOURCE_FOUND:
      Require(found.package.data >= file.data && found.fileOffset <= file.size &&
                  found.package.data == file.data + found.fileOffset &&
                  found.package.size <= file.size - found.fileOffset,
              "a found resource lies inside the file");
      Require(found.languageCount >= 1, "a found resource has a language");
      break;
    case kvpack::RESOURCE_MISSING:
      break;
    case kvpack::RESOURCE_SEVERAL:
      Require(found.languageCount > 1 && found.package.data == nullptr,
              "several languages are named, and none is read");
      break;
    case kvpack::RESOURCE_MALFORMED:
      Require(!error.empty(), "a damaged program is refused with a reason");
      break;
    default:
      Require(false, "FindPackageResource answers found, missing, several or malformed");
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const package::ByteView file{data, size};
  const int resource = CheckResource(file);

  std::ostringstream listOut;
  std::ostringstream listErr;
  const int listed = kvpack::ListPackageBytes(file, "input.bin", listOut, listErr);
  std::ostringstream verifyOut;
  std::ostringstream verifyErr;
  const int verified = kvpack::VerifyPackageBytes(file, "input.bin", verifyOut, verifyErr);

  Require(listed == kvpack::EXIT_OK || listed == kvpack::EXIT_INPUT ||
              listed == kvpack::EXIT_SEVERAL_PACKAGES,
          "list ends with success, an input error or several packages");
  Require((listed == kvpack::EXIT_SEVERAL_PACKAGES) == (resource == kvpack::RESOURCE_SEVERAL),
          "exactly a program with several package languages is refused as such");
  if (listed != kvpack::EXIT_OK) {
    Require(verified == listed, "list and verify refuse the same files alike");
    Require(!listErr.str().empty(), "a refused file is reported");
    return 0;
  }
  const int listCount = VerifiedCount(listOut.str());
  const int verifyCount = VerifiedCount(verifyOut.str());
  Require(listCount >= 0 && listCount <= 21 && listCount == verifyCount,
          "list and verify agree on the entries that verify");
  Require(verified == (verifyCount == 21 ? kvpack::EXIT_OK : kvpack::EXIT_VERIFY_FAILED),
          "verify fails exactly when an entry fails");
  return 0;
}

// The five kvpack commands: build a package from a manifest, check a
// manifest without building, list a package's table, verify it along the key
// chain, and extract its verified entries.
#include "tools/kvpack/commands.h"

#include <cstdio>
#include <filesystem>

#include "package/extract_result.h"
#include "package/package_build.h"
#include "package/package_format.h"
#include "package/package_walk.h"
#include "tools/kvpack/exit_codes.h"
#include "tools/kvpack/file_io.h"
#include "tools/kvpack/manifest.h"
#include "tools/kvpack/pe_resource.h"

namespace kvpack {
namespace {

namespace fs = std::filesystem;

// A package is one block with a 32-bit byte count.
constexpr uint64_t kMaxPackageSize = UINT32_MAX;

void Fail(std::ostream& err, const std::string& message) { err << "kvpack: " << message << '\n'; }

std::string Quoted(const fs::path& path) {
  // Built by appending: GCC 12 warns falsely (-Wrestrict) about
  // "literal" + std::string at -O3.
  std::string text(1, '\'');
  text += path.string();
  text += '\'';
  return text;
}

// The name field for display: printable ASCII as it is, other bytes as \xNN,
// and a marker when the field has no terminating zero byte.
std::string DisplayName(const package::PackageEntry& entry) {
  std::string text;
  uint32_t i = 0;
  for (; i < package::PACKAGE_NAME_SIZE && entry.name[i] != '\0'; ++i) {
    const unsigned char byte = static_cast<unsigned char>(entry.name[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  if (i == package::PACKAGE_NAME_SIZE) {
    text += "...(no zero byte)";
  }
  return text;
}

std::string HexDigest(const uint8_t* digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint32_t i = 0; i < package::DIGEST_SIZE; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

// Why an entry of a walk counts as failed, or an empty text when it passed:
// an extraction writes an entry only when it verifies and the setup program
// would write its name (package::EntryMayBeWritten).
std::string FailureReasons(const package::PackageTable& table,
                           const package::EntryOutcome& outcome) {
  std::string reasons;
  auto add = [&reasons](const std::string& reason) {
    reasons += reasons.empty() ? "" : ", ";
    reasons += reason;
  };
  if (!outcome.inBounds) {
    add("out of bounds");
  } else if (outcome.plain == nullptr) {
    add("no memory to unscramble it");
  } else if (!outcome.verified) {
    add("digest mismatch");
  }
  if (!package::EntryNameIsSafe(outcome.entry)) {
    add("unsafe name");
  } else if (const uint32_t other = package::EntrySharingFile(table, outcome.index);
             other != package::NO_ENTRY) {
    add("same file as entry " + std::to_string(other + 1));
  }
  return reasons;
}

struct LoadedPackage {
  package::ByteView file{};    // the whole file's bytes, held by the caller
  package::ByteView view{};    // the package: all of `file`, or a part of a program
  std::string origin;          // for a program: where in it the package lies
  package::PackageTable table{};
};

package::ByteView ViewOf(const LoadedPackage& loaded) { return loaded.view; }

std::string LanguageText(uint32_t language) {
  // A language entry names its language by identifier; a set top bit means
  // a name string instead, which no resource compiler writes.
  if ((language & 0x80000000u) != 0) {
    return "a named language";
  }
  char text[32];
  std::snprintf(text, sizeof text, "language 0x%04X", static_cast<unsigned>(language));
  return text;
}

// The languages of a program's package resources, for a message.
std::string LanguageList(const PackageResource& found) {
  std::string text;
  const uint32_t listed = found.languageCount < MAX_LISTED_LANGUAGES ? found.languageCount
                                                                      : MAX_LISTED_LANGUAGES;
  for (uint32_t i = 0; i < listed; ++i) {
    text += (i == 0 ? "" : ", ") + LanguageText(found.languages[i]);
  }
  if (found.languageCount > listed) {
    text += " and " + std::to_string(found.languageCount - listed) + " more";
  }
  return text;
}

// Finds the package in a program file's bytes (RCDATA 100). Returns EXIT_OK,
// or after printing why it cannot be used EXIT_INPUT or
// EXIT_SEVERAL_PACKAGES.
int FindProgramPackage(const fs::path& path, LoadedPackage& loaded, std::ostream& err) {
  PackageResource found;
  std::string error;
  switch (FindPackageResource(loaded.file, found, error)) {
    case RESOURCE_FOUND:
      break;
    case RESOURCE_MISSING:
      Fail(err, "no package resource (RCDATA 100) in " + Quoted(path));
      return EXIT_INPUT;
    case RESOURCE_SEVERAL:
      // The system's resource loader picks one by the user's language, so
      // checking any one of them says nothing about what a machine installs.
      Fail(err, Quoted(path) + " holds the package resource (RCDATA 100) in " +
                    std::to_string(found.languageCount) + " languages (" + LanguageList(found) +
                    "); the program installs whichever one the system picks for the user's "
                    "language, so none is checked");
      return EXIT_SEVERAL_PACKAGES;
    default:
      Fail(err, Quoted(path) + " is a damaged program: " + error);
      return EXIT_INPUT;
  }
  loaded.view = found.package;
  loaded.origin = "package: RCDATA 100 (" + LanguageText(found.languages[0]) + ") of program " +
                  Quoted(path) + ", " + std::to_string(found.package.size) +
                  " bytes at file offset " + std::to_string(found.fileOffset);
  return EXIT_OK;
}

// Reads the whole file at `path` into `bytes`. Returns 1, or 0 after
// printing why it cannot be read.
int ReadPackageFile(const fs::path& path, std::vector<uint8_t>& bytes, std::ostream& err) {
  std::string error;
  if (ReadWholeFile(path, kMaxPackageSize, bytes, error) != 1) {
    Fail(err, error);
    return 0;
  }
  return 1;
}

// Takes the bytes of a package file, or of a program file holding the
// package as its RCDATA 100 resource, and copies the package's table.
// Returns EXIT_OK, or after printing why it cannot be used EXIT_INPUT or
// EXIT_SEVERAL_PACKAGES.
int LoadPackage(const fs::path& path, package::ByteView file, LoadedPackage& loaded,
                std::ostream& err) {
  loaded.file = file;
  loaded.view = file;
  if (IsProgramImage(loaded.view) == 1) {
    const int found = FindProgramPackage(path, loaded, err);
    if (found != EXIT_OK) {
      return found;
    }
  }
  if (package::CopyPackageTable(loaded.view, loaded.table) != 0) {
    Fail(err, (loaded.origin.empty() ? "" : "the package in ") + Quoted(path) + " is too short: " +
                  std::to_string(loaded.view.size) + " bytes, and a package holds more than its " +
                  std::to_string(package::PACKAGE_TABLE_SIZE) + "-byte table");
    return EXIT_INPUT;
  }
  return EXIT_OK;
}

// Reads the manifest at `manifestPath` and checks it as build packs it: 21
// files, each a regular file whose base name may name its entry
// (package::CheckPackName), all together within a package's 4 GiB. Fills
// `items`, the names of `files` and `total` (the package's size). Returns
// EXIT_OK, or EXIT_INPUT after printing one line that names the entry.
int CheckManifest(const fs::path& manifestPath, std::vector<ManifestItem>& items,
                  std::vector<package::PackFile>& files, uint64_t& total, std::ostream& err) {
  std::string error;
  std::vector<uint8_t> manifestBytes;
  if (ReadWholeFile(manifestPath, kMaxPackageSize, manifestBytes, error) != 1) {
    Fail(err, error);
    return EXIT_INPUT;
  }
  const std::string manifestText(manifestBytes.begin(), manifestBytes.end());
  if (ParseManifest(manifestText, manifestPath.parent_path(), items, error) != 1) {
    Fail(err, Quoted(manifestPath) + ": " + error);
    return EXIT_INPUT;
  }
  if (items.size() != package::PACKAGE_ENTRY_COUNT) {
    Fail(err, Quoted(manifestPath) + " lists " + std::to_string(items.size()) +
                  " files; a package holds exactly " +
                  std::to_string(package::PACKAGE_ENTRY_COUNT));
    return EXIT_INPUT;
  }
  files.assign(items.size(), package::PackFile{});
  total = package::PACKAGE_TABLE_SIZE;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string where = manifestPath.string() + ":" + std::to_string(items[i].line) +
                              ": entry " + std::to_string(i + 1) + ": ";
    files[i].name = items[i].path.filename().string();
    uint32_t earlier = 0;
    const int problem = package::CheckPackName(files, static_cast<uint32_t>(i), earlier);
    if (problem == package::NAME_SAME_FILE) {
      Fail(err, where + "the name '" + files[i].name + "' is already used by entry " +
                    std::to_string(earlier + 1) + " (line " + std::to_string(items[earlier].line) +
                    "); Windows does not tell letter case apart");
      return EXIT_INPUT;
    }
    if (problem != package::NAME_OK) {
      Fail(err,
           where + "the name '" + files[i].name + "' " + NameProblemText(problem, files[i].name));
      return EXIT_INPUT;
    }
    uint64_t size = 0;
    if (RegularFileSize(items[i].path, size, error) != 1) {
      Fail(err, where + error);
      return EXIT_INPUT;
    }
    total += size;
  }
  if (total > kMaxPackageSize) {
    Fail(err, "the package would be " + std::to_string(total) +
                  " bytes; its 32-bit offsets reach at most " + std::to_string(kMaxPackageSize));
    return EXIT_INPUT;
  }
  return EXIT_OK;
}

}  // namespace

int RunBuild(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  const fs::path manifestPath(invocation.operands[0]);
  const fs::path outputPath(invocation.output);
  std::string error;

  // Names and sizes are checked for all files before any is read, so that an
  // oversized package is refused before memory is taken for it.
  std::vector<ManifestItem> items;
  std::vector<package::PackFile> files;
  uint64_t total = 0;
  if (CheckManifest(manifestPath, items, files, total, err) != EXIT_OK) {
    return EXIT_INPUT;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (ReadWholeFile(items[i].path, kMaxPackageSize, files[i].content, error) != 1) {
      Fail(err, manifestPath.string() + ":" + std::to_string(items[i].line) + ": " + error);
      return EXIT_INPUT;
    }
  }

  std::vector<uint8_t> packageBytes;
  uint32_t badIndex = 0;
  const int built = package::BuildPackage(files, invocation.reserved, packageBytes, &badIndex);
  switch (built) {
    case package::BUILD_OK:
      break;
    case package::BUILD_TOO_LARGE:
      // A file grew between the size check and the read.
      Fail(err, "the package would pass 4 GiB; its 32-bit offsets cannot reach that far");
      return EXIT_INPUT;
    case package::BUILD_BAD_NAME:
      Fail(err, "entry name '" + files[badIndex].name + "' is refused");
      return EXIT_INPUT;
    case package::BUILD_NO_MEMORY:
      Fail(err, "cannot hold the " + std::to_string(total) + "-byte package in memory");
      return EXIT_OUTPUT;
    default:
      Fail(err, "cannot build the package: the MD5 facility failed");
      return EXIT_OUTPUT;
  }

  if (WriteFileReplacing(outputPath, packageBytes.data(), packageBytes.size(), error) != 1) {
    Fail(err, error);
    return EXIT_OUTPUT;
  }
  out << "wrote " << outputPath.string() << ": " << packageBytes.size() << " bytes, "
      << package::PACKAGE_ENTRY_COUNT << " entries\n";
  return EXIT_OK;
}

int RunCheck(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::vector<ManifestItem> items;
  std::vector<package::PackFile> files;
  uint64_t total = 0;
  if (CheckManifest(fs::path(invocation.operands[0]), items, files, total, err) != EXIT_OK) {
    return EXIT_INPUT;
  }
  for (const ManifestItem& item : items) {
    out << item.path.string() << '\n';
  }
  return EXIT_OK;
}

int RunList(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::vector<uint8_t> bytes;
  if (ReadPackageFile(invocation.operands[0], bytes, err) != 1) {
    return EXIT_INPUT;
  }
  return ListPackageBytes(package::ByteView{bytes.data(), bytes.size()}, invocation.operands[0],
                          out, err);
}

int ListPackageBytes(package::ByteView file, const fs::path& path, std::ostream& out,
                     std::ostream& err) {
  LoadedPackage loaded;
  if (const int loadedAs = LoadPackage(path, file, loaded, err); loadedAs != EXIT_OK) {
    return loadedAs;
  }
  struct Row {
    std::string name;
    package::PackageEntry entry;
    std::string status;
  };
  std::vector<Row> rows;
  uint32_t failures = 0;
  package::WalkPackage(ViewOf(loaded), loaded.table, [&](const package::EntryOutcome& outcome) {
    const std::string reasons = FailureReasons(loaded.table, outcome);
    failures += reasons.empty() ? 0 : 1;
    rows.push_back({DisplayName(outcome.entry), outcome.entry,
                    reasons.empty() ? "ok" : "FAILED (" + reasons + ")"});
  });

  if (!loaded.origin.empty()) {
    out << loaded.origin << '\n';
  }
  size_t nameWidth = 4;
  for (const Row& row : rows) {
    nameWidth = row.name.size() > nameWidth ? row.name.size() : nameWidth;
  }
  char line[160];
  std::string heading = "name";
  heading.resize(nameWidth, ' ');
  out << "index  " << heading;
  std::snprintf(line, sizeof line, "  %10s  %10s  %-32s  %s\n", "offset", "size", "digest",
                "status");
  out << line;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string name = rows[i].name;
    name.resize(nameWidth, ' ');
    std::snprintf(line, sizeof line, "%5zu  ", i + 1);
    out << line << name;
    std::snprintf(line, sizeof line, "  %10lu  %10lu  ",
                  static_cast<unsigned long>(rows[i].entry.offset),
                  static_cast<unsigned long>(rows[i].entry.size));
    out << line << HexDigest(rows[i].entry.digest) << "  " << rows[i].status << '\n';
  }
  out << loaded.view.size << " bytes, " << (package::PACKAGE_ENTRY_COUNT - failures) << " of "
      << package::PACKAGE_ENTRY_COUNT << " entries verify\n";
  return EXIT_OK;
}

int RunVerify(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::vector<uint8_t> bytes;
  if (ReadPackageFile(invocation.operands[0], bytes, err) != 1) {
    out << "extraction result: -1\n";
    return EXIT_INPUT;
  }
  return VerifyPackageBytes(package::ByteView{bytes.data(), bytes.size()},
                            invocation.operands[0], out, err);
}

int VerifyPackageBytes(package::ByteView file, const fs::path& path, std::ostream& out,
                       std::ostream& err) {
  LoadedPackage loaded;
  if (const int loadedAs = LoadPackage(path, file, loaded, err); loadedAs != EXIT_OK) {
    // Several packages: which one a machine extracts is not known.
    if (loadedAs == EXIT_INPUT) {
      out << "extraction result: -1\n";
    }
    return loadedAs;
  }
  uint32_t failures = 0;
  package::WalkPackage(ViewOf(loaded), loaded.table, [&](const package::EntryOutcome& outcome) {
    const std::string reasons = FailureReasons(loaded.table, outcome);
    if (!reasons.empty()) {
      ++failures;
      Fail(err, "entry " + std::to_string(outcome.index + 1) + " '" + DisplayName(outcome.entry) +
                    "': " + reasons);
    }
  });
  out << (package::PACKAGE_ENTRY_COUNT - failures) << " of " << package::PACKAGE_ENTRY_COUNT
      << " entries verify\n";
  out << "extraction result: " << package::ExtractionResult(failures) << '\n';
  return failures == 0 ? EXIT_OK : EXIT_VERIFY_FAILED;
}

int RunExtract(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::vector<uint8_t> bytes;
  LoadedPackage loaded;
  if (ReadPackageFile(invocation.operands[0], bytes, err) != 1) {
    out << "extraction result: -1\n";
    return EXIT_INPUT;
  }
  if (const int loadedAs = LoadPackage(invocation.operands[0],
                                       package::ByteView{bytes.data(), bytes.size()}, loaded, err);
      loadedAs != EXIT_OK) {
    if (loadedAs == EXIT_INPUT) {
      out << "extraction result: -1\n";
    }
    return loadedAs;
  }
  const fs::path folder(invocation.operands[1]);
  std::string error;
  if (MakeFolder(folder, error) != 1) {
    Fail(err, error);
    return EXIT_OUTPUT;
  }
  uint32_t failures = 0;
  uint32_t written = 0;
  bool writeFailed = false;
  package::WalkPackage(ViewOf(loaded), loaded.table, [&](const package::EntryOutcome& outcome) {
    const std::string reasons = FailureReasons(loaded.table, outcome);
    if (!reasons.empty()) {
      ++failures;
      Fail(err, "entry " + std::to_string(outcome.index + 1) + " '" + DisplayName(outcome.entry) +
                    "' not written: " + reasons);
      return;
    }
    const fs::path target = folder / std::string(outcome.entry.name);
    std::string writeError;
    if (WriteFileReplacing(target, outcome.plain, outcome.entry.size, writeError) != 1) {
      ++failures;
      writeFailed = true;
      Fail(err, writeError);
      return;
    }
    ++written;
  });
  out << "extracted " << written << " of " << package::PACKAGE_ENTRY_COUNT << " entries into "
      << folder.string() << '\n';
  out << "extraction result: " << package::ExtractionResult(failures) << '\n';
  if (writeFailed) {
    return EXIT_OUTPUT;
  }
  return failures == 0 ? EXIT_OK : EXIT_VERIFY_FAILED;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Invocation invocation;
  std::string error;
  if (ParseCommandLine(args, invocation, error) != 1) {
    Fail(err, error);
    return EXIT_USAGE;
  }
  if (invocation.help) {
    out << HelpText(invocation.command);
    return EXIT_OK;
  }
  switch (invocation.command) {
    case Command::Build:
      return RunBuild(invocation, out, err);
    case Command::Check:
      return RunCheck(invocation, out, err);
    case Command::List:
      return RunList(invocation, out, err);
    case Command::Verify:
      return RunVerify(invocation, out, err);
    case Command::Extract:
      return RunExtract(invocation, out, err);
    case Command::None:
      break;
  }
  Fail(err, "no command given (try 'kvpack --help')");
  return EXIT_USAGE;
}

}  // namespace kvpack

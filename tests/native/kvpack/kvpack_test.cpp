// kvpack as its users see it: the program run on scratch folders, checked by
// exit code, messages and the files it leaves behind.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "tests/native/kvpack/kvpack_runner.h"

namespace {

namespace fs = std::filesystem;
using kvtest::ExpectOneErrorLine;
using kvtest::ReadText;
using kvtest::Result;
using kvtest::RunKvpack;
using kvtest::WriteText;

const auto& kNames = kvtest::ENTRY_NAMES;
constexpr int kCount = kvtest::ENTRY_COUNT;

class KvpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kvpack-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
    fs::create_directories(root / "input" / "files");
    for (int i = 0; i < kCount; ++i) {
      std::string content;
      uint32_t x = static_cast<uint32_t>(i) * 2654435761u + 17u;
      const int size = i == 16 ? 0 : 50 + i * 97;
      for (int j = 0; j < size; ++j) {
        x = x * 1664525u + 1013904223u;
        content += static_cast<char>(x >> 24);
      }
      WriteText(root / "input" / "files" / kNames[i], content);
      contents.push_back(content);
    }
    WriteManifest(ManifestLines());
  }

  void TearDown() override { fs::remove_all(root); }

  // The standard manifest: relative paths, one absolute, comments, blank
  // lines, CRLF endings and trailing blanks.
  std::vector<std::string> ManifestLines() const {
    std::vector<std::string> lines = {"# sample payload, table order", ""};
    for (int i = 0; i < kCount; ++i) {
      const fs::path relative = fs::path("files") / kNames[i];
      lines.push_back(i == kCount - 1 ? (root / "input" / relative).string() : relative.string() + "  ");
    }
    return lines;
  }

  void WriteManifest(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
      text += line + "\r\n";
    }
    WriteText(root / "input" / "manifest.txt", text);
  }

  Result Run(const std::vector<std::string>& args) { return RunKvpack(root, args); }

  std::string Manifest() const { return (root / "input" / "manifest.txt").string(); }
  std::string Package() const { return (root / "out" / "package.bin").string(); }

  Result Build(const std::vector<std::string>& extra = {}) {
    fs::create_directories(root / "out");
    std::vector<std::string> args = {"build", "-o", Package()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(Manifest());
    return Run(args);
  }

  // A build that must fail with an input error and leave no output behind.
  void ExpectBuildRefused(const std::string& messagePart) {
    const Result result = Build();
    EXPECT_EQ(result.exitCode, 3) << result.err;
    ExpectOneErrorLine(result, messagePart);
    EXPECT_EQ(FilesIn(root / "out"), 0) << "no output and no temporary file";
  }

  // Build and check refuse the manifest alike, with one line naming the
  // entry, and check prints nothing.
  void ExpectManifestRefused(const std::string& messagePart) {
    ExpectBuildRefused(messagePart);
    const Result result = Run({"check", Manifest()});
    EXPECT_EQ(result.exitCode, 3) << result.err;
    ExpectOneErrorLine(result, messagePart);
    EXPECT_TRUE(result.out.empty()) << result.out;
  }

  // The standard manifest with entry `entry` (1-based) named `name`, a file
  // that is there.
  void NameEntry(int entry, const std::string& name) {
    WriteText(root / "input" / "files" / name, "x");
    std::vector<std::string> lines = ManifestLines();
    lines[static_cast<size_t>(entry) + 1] = "files/" + name;
    WriteManifest(lines);
  }

  package::PackageEntry EntryOf(const std::string& bytes, uint32_t index) const {
    package::PackageTable table;
    std::memcpy(table.bytes, bytes.data(), sizeof table.bytes);
    return package::ReadEntry(table, index);
  }

  static long FilesIn(const fs::path& folder) {
    return static_cast<long>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path root;
  std::vector<std::string> contents;
};

TEST_F(KvpackTest, HelpAndUsageErrors) {
  Result result = Run({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("kvpack build -o OUT"), std::string::npos);
  EXPECT_NE(result.out.find("Exit codes"), std::string::npos);
  for (const char* command : {"build", "check", "list", "verify", "extract"}) {
    result = Run({command, "-h"});
    EXPECT_EQ(result.exitCode, 0) << command;
    EXPECT_NE(result.out.find(std::string("Usage: kvpack ") + command), std::string::npos);
  }

  const std::vector<std::vector<std::string>> misuses = {
      {},
      {"pack"},
      {"list"},
      {"extract", "a.bin"},
      {"verify", "a.bin", "b.bin"},
      {"build", Manifest()},
      {"build", "-o"},
      {"build", "-o", "x.bin", "--reserved", "0x100000000", Manifest()},
      {"build", "-o", "x.bin", "--reserved", "12abc", Manifest()},
      {"list", "--reserved", "1", "a.bin"}};
  for (const std::vector<std::string>& args : misuses) {
    result = Run(args);
    EXPECT_EQ(result.exitCode, 2) << (args.empty() ? "" : args[0]);
    ExpectOneErrorLine(result, "");
  }
}

TEST_F(KvpackTest, RoundTripThroughBuildListVerifyAndExtract) {
  Result result = Build();
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string bytes = ReadText(Package());
  size_t expectedSize = 3276;
  for (const std::string& content : contents) {
    expectedSize += content.size();
  }
  ASSERT_EQ(bytes.size(), expectedSize);
  EXPECT_EQ(FilesIn(root / "out"), 1) << "no temporary file left";
  for (uint32_t i = 0; i < sample_payload::ENTRY_COUNT; ++i) {
    const package::PackageEntry entry = EntryOf(bytes, i);
    EXPECT_STREQ(entry.name, kNames[i]);
    EXPECT_EQ(entry.reserved, 0x00440AA8u);
  }

  result = Run({"list", Package()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("SONDREL_Setup_x64.exe"), std::string::npos);
  EXPECT_NE(result.out.find("21 of 21 entries verify"), std::string::npos);
  EXPECT_EQ(result.out.find("FAILED"), std::string::npos);
  // The first entry sits right after the 3276-byte table.
  EXPECT_NE(result.out.find("      3276"), std::string::npos);

  result = Run({"verify", Package()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("extraction result: 0\n"), std::string::npos);
  EXPECT_TRUE(result.err.empty());

  const fs::path folder = root / "extracted" / "deeper";
  result = Run({"extract", Package(), folder.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(ReadText(folder / kNames[i]), contents[i]) << kNames[i];
  }
  EXPECT_EQ(FilesIn(folder), kCount);
}

// Where kvpack writes, another account may have planted links: at an output
// path, or at the fixed temporary name kvpack once used. An output replaces
// the link at its own path; no link's target is written or created.
TEST_F(KvpackTest, PlantedLinksAreReplacedNeverWrittenThrough) {
  const fs::path victim = root / "victim.txt";
  WriteText(victim, "not kvpack's");
  fs::create_directories(root / "out");
  fs::create_symlink(victim, Package());
  fs::create_symlink(victim, Package() + ".tmp");
  Result result = Build();
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(fs::is_symlink(Package()));
  EXPECT_EQ(Run({"verify", Package()}).exitCode, 0);

  const fs::path folder = root / "extracted";
  fs::create_directories(folder);
  fs::create_symlink(victim, folder / "readme.txt");
  fs::create_symlink(victim, folder / "readme.txt..part");
  fs::create_symlink(root / "created-through-a-link", folder / "pin_in.ico");
  result = Run({"extract", Package(), folder.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  for (int i = 0; i < kCount; ++i) {
    EXPECT_FALSE(fs::is_symlink(folder / kNames[i])) << kNames[i];
    EXPECT_EQ(ReadText(folder / kNames[i]), contents[i]) << kNames[i];
  }
  EXPECT_TRUE(ReadText(victim) == "not kvpack's") << "the link's target was written";
  EXPECT_FALSE(fs::exists(root / "created-through-a-link"));
  EXPECT_EQ(FilesIn(folder), kCount + 1) << "the entries' files and the link at the old temporary name";
}

TEST_F(KvpackTest, BuildsAreByteIdenticalAndTakeTheReservedValue) {
  ASSERT_EQ(Build().exitCode, 0);
  const std::string first = ReadText(Package());
  ASSERT_EQ(Build().exitCode, 0) << "replacing an existing output";
  EXPECT_EQ(ReadText(Package()), first);

  ASSERT_EQ(Build({"--reserved", "0x12345678"}).exitCode, 0);
  std::string bytes = ReadText(Package());
  EXPECT_EQ(EntryOf(bytes, 0).reserved, 0x12345678u);
  EXPECT_EQ(EntryOf(bytes, 20).reserved, 0x12345678u);
  // Apart from the reserved fields, nothing changed.
  for (uint32_t i = 0; i < sample_payload::ENTRY_COUNT; ++i) {
    bytes.replace(i * 156 + 152, 4, first.substr(i * 156 + 152, 4));
  }
  EXPECT_EQ(bytes, first);

  ASSERT_EQ(Build({"--reserved=42"}).exitCode, 0);
  EXPECT_EQ(EntryOf(ReadText(Package()), 7).reserved, 42u);
}

TEST_F(KvpackTest, BuildRefusesWrongEntryCounts) {
  std::vector<std::string> lines = ManifestLines();
  lines.pop_back();
  WriteManifest(lines);
  ExpectBuildRefused("lists 20 files");

  lines = ManifestLines();
  lines.push_back(lines.back());
  WriteManifest(lines);
  ExpectBuildRefused("lists 22 files");
}

TEST_F(KvpackTest, BuildRefusesMissingOrUnreadableInputs) {
  fs::remove(root / "input" / "files" / kNames[16]);
  ExpectBuildRefused(kNames[16]);

  // A folder where a file should be cannot be read as one.
  fs::create_directories(root / "input" / "files" / kNames[16]);
  ExpectBuildRefused("not a regular file");

  fs::remove(Manifest());
  ExpectBuildRefused("manifest.txt");
}

TEST_F(KvpackTest, BuildRefusesNamesThatCannotBeEntryNames) {
  const std::string tooLong(128, 'n');
  const std::string names[] = {tooLong, "back\\slash.txt", "drive:name.txt", "bad|pipe.txt"};
  for (const std::string& name : names) {
    NameEntry(4, name);
    ExpectBuildRefused("entry 4: the name '" + name + "' ");
  }
  // Device names are named as such, not as folder parts.
  for (const std::string name : {"nul.txt", "COM\xB9.txt", "lpt\xB2", "Com\xB3 .bin"}) {
    NameEntry(4, name);
    ExpectBuildRefused("is a device name");
  }
  // ".." as the last path component.
  std::vector<std::string> lines = ManifestLines();
  lines[5] = "files/..";
  WriteManifest(lines);
  ExpectBuildRefused("the name '..' is not a plain file name");

  // The same name twice (Windows folders do not tell case apart).
  WriteText(root / "input" / "README.TXT", "x");
  lines = ManifestLines();
  lines[3] = "README.TXT";
  WriteManifest(lines);
  ExpectManifestRefused("entry 21: the name 'readme.txt' is already used by entry 2 (line 4)");

  // 127 bytes fit.
  NameEntry(4, std::string(127, 'n'));
  EXPECT_EQ(Build().exitCode, 0);
}

// Names Windows would resolve to another entry's file: entry 18 as the tool
// of entry 14 with a full stop added, or as a short name the system may give
// it. A tilde in a name longer than 8.3 is no short name.
TEST_F(KvpackTest, BuildAndCheckRefuseNamesWindowsWouldTakeForAnother) {
  NameEntry(18, "SONDREL_Setup_x64.exe.");
  ExpectManifestRefused(":20: entry 18: the name 'SONDREL_Setup_x64.exe.' ends in a full stop "
                        "or a space, which Windows drops: the entry would be written as "
                        "'SONDREL_Setup_x64.exe'");
  NameEntry(18, "SONDRE~1.EXE");
  ExpectManifestRefused("entry 18: the name 'SONDRE~1.EXE' could be the short (8.3) name");

  NameEntry(18, "win7_64~backup.inf");
  EXPECT_EQ(Build().exitCode, 0);
  const Result result = Run({"check", Manifest()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(result.err.empty()) << result.err;
  std::string expected;
  for (int i = 0; i < kCount; ++i) {
    const std::string name = i == 17 ? "win7_64~backup.inf" : kNames[i];
    expected += (root / "input" / "files" / name).string() + "\n";
  }
  EXPECT_EQ(result.out, expected);
}

TEST_F(KvpackTest, BuildRefusesPackagesPastFourGibibytesBeforeReading) {
  // A sparse file: its size counts, its blocks are never read.
  fs::resize_file(root / "input" / "files" / "SONDREL_Brevik.exe", 0xFFFFFFFFull - 4000);
  ExpectBuildRefused("32-bit offsets");
}

TEST_F(KvpackTest, FailedBuildKeepsTheOldOutput) {
  fs::create_directories(root / "out");
  WriteText(Package(), "old package");
  fs::remove(root / "input" / "files" / "readme.txt");
  const Result result = Build();
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(ReadText(Package()), "old package");
  EXPECT_EQ(FilesIn(root / "out"), 1) << "no temporary file left";
}

TEST_F(KvpackTest, BuildReportsOutputErrors) {
  Result result = Run({"build", "-o", (root / "no" / "such" / "p.bin").string(), Manifest()});
  EXPECT_EQ(result.exitCode, 4);
  ExpectOneErrorLine(result, "cannot create");
  EXPECT_FALSE(fs::exists(root / "no"));

  // The package is written in full before the rename fails: the file
  // written so far goes again.
  fs::create_directories(root / "out" / "package.bin" / "inside");
  result = Build();
  EXPECT_EQ(result.exitCode, 4);
  ExpectOneErrorLine(result, "cannot rename");
  EXPECT_EQ(FilesIn(root / "out"), 1) << "only the folder in the way";
  EXPECT_TRUE(fs::is_directory(root / "out" / "package.bin" / "inside"));
}

TEST_F(KvpackTest, ShortMissingAndOversizedPackagesAreInputErrors) {
  ASSERT_EQ(Build().exitCode, 0);
  const std::string bytes = ReadText(Package());
  const fs::path shortPackage = root / "short.bin";
  WriteText(shortPackage, bytes.substr(0, 3276));
  for (const char* command : {"list", "verify"}) {
    const Result result = Run({command, shortPackage.string()});
    EXPECT_EQ(result.exitCode, 3) << command;
    ExpectOneErrorLine(result, "too short");
  }
  Result result = Run({"verify", shortPackage.string()});
  EXPECT_NE(result.out.find("extraction result: -1\n"), std::string::npos);

  result = Run({"extract", shortPackage.string(), (root / "x").string()});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_FALSE(fs::exists(root / "x"));

  result = Run({"verify", (root / "missing.bin").string()});
  EXPECT_EQ(result.exitCode, 3);
  ExpectOneErrorLine(result, "missing.bin");

  const fs::path huge = root / "huge.bin";
  WriteText(huge, "");
  fs::resize_file(huge, 0x100000000ull);
  result = Run({"list", huge.string()});
  EXPECT_EQ(result.exitCode, 3);
  ExpectOneErrorLine(result, "at most");
}

TEST_F(KvpackTest, TruncatedPackageFailsItsLastEntry) {
  ASSERT_EQ(Build().exitCode, 0);
  const std::string bytes = ReadText(Package());
  WriteText(Package(), bytes.substr(0, bytes.size() - 1));

  Result result = Run({"verify", Package()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("entry 21 'readme.txt': out of bounds"), std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("extraction result: -101\n"), std::string::npos);

  result = Run({"list", Package()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("FAILED (out of bounds)"), std::string::npos);
  EXPECT_NE(result.out.find("20 of 21 entries verify"), std::string::npos);
}

TEST_F(KvpackTest, DamagedEntriesAreReportedAndNeverExtracted) {
  ASSERT_EQ(Build().exitCode, 0);
  std::string bytes = ReadText(Package());
  const package::PackageEntry third = EntryOf(bytes, 2);
  bytes[third.offset + 5] = static_cast<char>(bytes[third.offset + 5] ^ 0x20);
  WriteText(Package(), bytes);

  Result result = Run({"verify", Package()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("entry 3 '" + std::string(kNames[2]) + "': digest mismatch"), std::string::npos);
  EXPECT_NE(result.err.find("entry 4 '" + std::string(kNames[3]) + "': digest mismatch"), std::string::npos);
  const size_t failures = static_cast<size_t>(std::count(result.err.begin(), result.err.end(), '\n'));
  EXPECT_GE(failures, 2u);
  EXPECT_LE(failures, 5u);
  EXPECT_NE(result.out.find("extraction result: -" + std::to_string(100 + failures) + "\n"),
            std::string::npos);

  const fs::path folder = root / "extracted";
  result = Run({"extract", Package(), folder.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(fs::exists(folder / kNames[2]));
  EXPECT_FALSE(fs::exists(folder / kNames[3]));
  for (int i = 7; i < kCount; ++i) {
    EXPECT_EQ(ReadText(folder / kNames[i]), contents[i]) << kNames[i];
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
            static_cast<long>(kCount - failures));
}

// A package made by hand: entry 18 named as the tool of entry 14 with a full
// stop added, entry 10 as entry 3 in capitals. Every one that the setup
// program would refuse to write fails, whatever its digest says.
TEST_F(KvpackTest, TableNamesWindowsWouldMergeFailEverywhere) {
  ASSERT_EQ(Build().exitCode, 0);
  std::string bytes = ReadText(Package());
  auto rename = [&bytes](uint32_t index, const std::string& name) {
    bytes.replace(index * 156, 128, name + std::string(128 - name.size(), '\0'));
  };
  rename(17, "SONDREL_Setup_x64.exe.");
  rename(9, kvtest::Capitals(kNames[2]));
  WriteText(Package(), bytes);

  Result result = Run({"verify", Package()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "kvpack: entry 3 '" + std::string(kNames[2]) + "': same file as entry 10\n"
            "kvpack: entry 10 '" + kvtest::Capitals(kNames[2]) + "': same file as entry 3\n"
            "kvpack: entry 18 'SONDREL_Setup_x64.exe.': unsafe name\n");
  EXPECT_NE(result.out.find("extraction result: -103\n"), std::string::npos) << result.out;

  result = Run({"list", Package()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("SONDREL_Setup_x64.exe.  "), std::string::npos);
  EXPECT_NE(result.out.find("FAILED (unsafe name)\n"), std::string::npos);
  EXPECT_NE(result.out.find("18 of 21 entries verify"), std::string::npos);

  const fs::path folder = root / "extracted";
  result = Run({"extract", Package(), folder.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(ReadText(folder / "SONDREL_Setup_x64.exe"), contents[13]);
  EXPECT_FALSE(fs::exists(folder / kNames[2]));
  EXPECT_FALSE(fs::exists(folder / kvtest::Capitals(kNames[2])));
  EXPECT_EQ(FilesIn(folder), 18);
}

TEST_F(KvpackTest, UnsafeTableNamesAreReportedAndNeverExtracted) {
  ASSERT_EQ(Build().exitCode, 0);
  std::string bytes = ReadText(Package());
  bytes.replace(1 * 156, 128, std::string(128, 'A'));  // no zero byte
  std::string escape(128, '\0');
  escape.replace(0, 11, "../evil.txt");
  bytes.replace(5 * 156, 128, escape);
  WriteText(Package(), bytes);

  Result result = Run({"verify", Package()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("entry 2 'AAAA"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("entry 6 '../evil.txt': unsafe name"), std::string::npos);
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << "the chain is intact";
  EXPECT_NE(result.out.find("extraction result: -102\n"), std::string::npos);

  result = Run({"list", Package()});
  EXPECT_NE(result.out.find("(no zero byte)"), std::string::npos);
  EXPECT_NE(result.out.find("FAILED (unsafe name)"), std::string::npos);

  const fs::path folder = root / "deep" / "extracted";
  result = Run({"extract", Package(), folder.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(fs::exists(root / "deep" / "evil.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 19);
}

}  // namespace

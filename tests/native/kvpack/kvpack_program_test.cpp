// kvpack on Windows programs that carry the package as their RCDATA 100
// resource: minimal PE32 and PE32+ images built here, read through the kvpack
// program like bare packages, and damaged in the ways a hostile file could be.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_walk.h"
#include "tests/native/kvpack/kvpack_runner.h"
#include "tools/kvpack/pe_resource.h"

namespace {

namespace fs = std::filesystem;
using kvtest::ExpectOneErrorLine;
using kvtest::ReadText;
using kvtest::Result;
using kvtest::RunKvpack;
using kvtest::WriteText;

const auto& kNames = kvtest::ENTRY_NAMES;
constexpr int kCount = kvtest::ENTRY_COUNT;

void Put16(std::string& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

size_t AlignUp(size_t value, size_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// What goes into a test image.
struct ImageSpec {
  bool pe32plus = false;
  bool packageInSecondSection = false;
  uint32_t typeId = 10;       // the type that holds `nameId`
  uint32_t nameId = 100;
  uint32_t languageCount = 1; // languages after the first point at a 16-byte scrap
};

// A built image and where its parts lie in the file, for tests to damage.
struct Image {
  std::string bytes;
  size_t optionalAt = 0;
  size_t directoryCountAt = 0;  // NumberOfRvaAndSizes; the data directories follow
  size_t sectionTableAt = 0;
  size_t rootAt = 0;            // resource root, first byte of the first section
  size_t typeDirectoryAt = 0;
  size_t languageDirectoryAt = 0;
  size_t dataEntryAt = 0;       // the first language's data entry
  size_t packageAt = 0;
};

constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr size_t kFileAlignment = 0x200;
constexpr size_t kSectionAlignment = 0x1000;

// Writes a DOS header, the PE headers, a section ".rsrc" holding a resource
// tree (a named type, type 3 and `typeId`, whose `nameId` has
// `languageCount` languages) and, when asked, a second section ".data" with
// some other bytes before the package.
Image BuildImage(const std::vector<uint8_t>& package, const ImageSpec& shape) {
  Image image;
  const size_t ntAt = 0x80;
  image.optionalAt = ntAt + 24;
  const size_t optionalSize = shape.pe32plus ? 240 : 224;
  image.directoryCountAt = image.optionalAt + (shape.pe32plus ? 108 : 92);
  image.sectionTableAt = image.optionalAt + optionalSize;
  const uint32_t sectionCount = shape.packageInSecondSection ? 2 : 1;

  // The resource tree, offsets from its root.
  const size_t typeDir = 16 + 3 * 8;
  const size_t languageDir = typeDir + 16 + 8;
  const size_t emptyDir = languageDir + 16 + 8 * shape.languageCount;
  const size_t dataEntries = emptyDir + 16;
  const size_t scrap = dataEntries + 16 * shape.languageCount;
  const size_t treeEnd = scrap + 16;
  const size_t firstRaw = AlignUp(image.sectionTableAt + 40 * sectionCount, kFileAlignment);
  const size_t firstVa = kSectionAlignment;
  size_t firstSize = treeEnd;
  size_t packageInSection = 0;
  size_t secondRaw = 0;
  size_t secondVa = 0;
  if (shape.packageInSecondSection) {
    firstSize = AlignUp(firstSize, kFileAlignment);
    secondRaw = firstRaw + firstSize;
    secondVa = AlignUp(firstVa + firstSize, kSectionAlignment);
    packageInSection = 0x30;  // other data first
    image.packageAt = secondRaw + packageInSection;
  } else {
    packageInSection = AlignUp(treeEnd, 16);
    firstSize = AlignUp(packageInSection + package.size(), kFileAlignment);
    image.packageAt = firstRaw + packageInSection;
  }
  const size_t secondSize =
      shape.packageInSecondSection ? AlignUp(packageInSection + package.size(), kFileAlignment) : 0;
  image.bytes.assign(firstRaw + firstSize + secondSize, '\0');
  std::string& b = image.bytes;

  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, ntAt);
  b.replace(ntAt, 4, std::string("PE\0\0", 4));
  Put16(b, ntAt + 4, shape.pe32plus ? 0x8664 : 0x14C);
  Put16(b, ntAt + 6, sectionCount);
  Put16(b, ntAt + 20, static_cast<uint32_t>(optionalSize));
  Put16(b, ntAt + 22, 0x0102);
  Put16(b, image.optionalAt, shape.pe32plus ? 0x20B : 0x10B);
  Put32(b, image.directoryCountAt, 16);
  Put32(b, image.directoryCountAt + 4 + 2 * 8, static_cast<uint32_t>(firstVa));
  Put32(b, image.directoryCountAt + 4 + 2 * 8 + 4, static_cast<uint32_t>(treeEnd));

  auto section = [&](uint32_t index, const char* name, size_t va, size_t size, size_t raw) {
    const size_t at = image.sectionTableAt + 40 * index;
    b.replace(at, std::strlen(name), name);
    Put32(b, at + 8, static_cast<uint32_t>(size));
    Put32(b, at + 12, static_cast<uint32_t>(va));
    Put32(b, at + 16, static_cast<uint32_t>(size));
    Put32(b, at + 20, static_cast<uint32_t>(raw));
  };
  section(0, ".rsrc", firstVa, firstSize, firstRaw);
  if (shape.packageInSecondSection) {
    section(1, ".data", secondVa, secondSize, secondRaw);
    b.replace(secondRaw, 0x30, std::string(0x30, 'x'));
  }

  image.rootAt = firstRaw;
  image.typeDirectoryAt = firstRaw + typeDir;
  image.languageDirectoryAt = firstRaw + languageDir;
  image.dataEntryAt = firstRaw + dataEntries;
  auto directory = [&](size_t at, uint32_t named, uint32_t ids) {
    Put16(b, firstRaw + at + 12, named);
    Put16(b, firstRaw + at + 14, ids);
  };
  auto entry = [&](size_t at, uint32_t name, uint32_t target) {
    Put32(b, firstRaw + at, name);
    Put32(b, firstRaw + at + 4, target);
  };
  directory(0, 1, 2);
  entry(16, kSubdirectory | static_cast<uint32_t>(scrap), kSubdirectory | emptyDir);
  entry(24, 3, kSubdirectory | emptyDir);
  entry(32, shape.typeId, kSubdirectory | typeDir);
  directory(typeDir, 0, 1);
  entry(typeDir + 16, shape.nameId, kSubdirectory | languageDir);
  directory(languageDir, 0, shape.languageCount);
  for (uint32_t i = 0; i < shape.languageCount; ++i) {
    const size_t data = dataEntries + 16 * i;
    entry(languageDir + 16 + 8 * i, 0x409 + i, static_cast<uint32_t>(data));
    const size_t va = shape.packageInSecondSection ? secondVa : firstVa;
    Put32(b, firstRaw + data,
          static_cast<uint32_t>(i == 0 ? va + packageInSection : firstVa + scrap));
    Put32(b, firstRaw + data + 4, static_cast<uint32_t>(i == 0 ? package.size() : 16));
  }
  directory(emptyDir, 0, 0);
  std::copy(package.begin(), package.end(), b.begin() + static_cast<long>(image.packageAt));
  return image;
}

std::string WithoutFirstLine(const std::string& text) {
  const size_t end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(end + 1);
}

class KvpackProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kvpack-program-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
    std::vector<package::PackFile> files(kCount);
    for (int i = 0; i < kCount; ++i) {
      files[i].name = kNames[i];
      uint32_t x = static_cast<uint32_t>(i) * 2654435761u + 5u;
      for (int j = 0; j < 40 + i * 61; ++j) {
        x = x * 1664525u + 1013904223u;
        files[i].content.push_back(static_cast<uint8_t>(x >> 24));
      }
      contents.emplace_back(files[i].content.begin(), files[i].content.end());
    }
    ASSERT_EQ(package::BuildPackage(files, package::DEFAULT_RESERVED, package), package::BUILD_OK);
    WriteText(BarePackage(), std::string(package.begin(), package.end()));
  }

  void TearDown() override { fs::remove_all(root); }

  Result Run(const std::vector<std::string>& args) { return RunKvpack(root, args); }

  std::string BarePackage() const { return (root / "package.bin").string(); }
  std::string Program() const { return (root / "program.exe").string(); }

  // Writes `bytes` as the program and expects every reading command to refuse
  // it as an input error with one line holding `messagePart`, extracting
  // nothing.
  void ExpectRefused(const std::string& bytes, const std::string& messagePart,
                     const std::string& what) {
    SCOPED_TRACE(what);
    WriteText(Program(), bytes);
    for (const char* command : {"list", "verify"}) {
      const Result result = Run({command, Program()});
      EXPECT_EQ(result.exitCode, 3) << command << ": " << result.err;
      ExpectOneErrorLine(result, messagePart);
    }
    const fs::path folder = root / "refused";
    const Result result = Run({"extract", Program(), folder.string()});
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_NE(result.out.find("extraction result: -1\n"), std::string::npos) << result.out;
    EXPECT_FALSE(fs::exists(folder));
  }

  fs::path root;
  std::vector<uint8_t> package;
  std::vector<std::string> contents;
};

TEST_F(KvpackProgramTest, ReadsTheEmbeddedPackageLikeTheBareOne) {
  const Result bareList = Run({"list", BarePackage()});
  ASSERT_EQ(bareList.exitCode, 0) << bareList.err;
  const Result bareVerify = Run({"verify", BarePackage()});
  ASSERT_EQ(bareVerify.exitCode, 0) << bareVerify.err;

  struct Variant {
    const char* what;
    ImageSpec shape;
  };
  Variant variants[3] = {{"PE32, package in the resource section", {}},
                         {"PE32, package in the second section", {}},
                         {"PE32+, package in the second section", {}}};
  variants[1].shape.packageInSecondSection = true;
  variants[2].shape.packageInSecondSection = true;
  variants[2].shape.pe32plus = true;
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.what);
    const Image image = BuildImage(package, variant.shape);
    WriteText(Program(), image.bytes);

    Result result = Run({"list", Program()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    EXPECT_EQ(result.out.rfind("package: RCDATA 100 (language 0x0409) of program '" + Program() +
                                   "', " + std::to_string(package.size()) +
                                   " bytes at file offset " + std::to_string(image.packageAt) +
                                   "\n",
                               0),
              0u)
        << result.out;
    EXPECT_EQ(WithoutFirstLine(result.out), bareList.out);

    result = Run({"verify", Program()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, bareVerify.out);

    const fs::path folder = root / "extracted";
    fs::remove_all(folder);
    result = Run({"extract", Program(), folder.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (int i = 0; i < kCount; ++i) {
      EXPECT_EQ(ReadText(folder / kNames[i]), contents[i]) << kNames[i];
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), kCount);
  }
}

// The system's loader picks a language by the user's, so a check of the
// first (here the only sound one) says nothing about what a machine
// installs: no command reads any of them.
TEST_F(KvpackProgramTest, SeveralLanguagesAreRefusedNamingThem) {
  ImageSpec shape;
  shape.languageCount = 3;  // the others hold 16 bytes, far too few for a package
  WriteText(Program(), BuildImage(package, shape).bytes);
  const std::string message =
      "kvpack: '" + Program() +
      "' holds the package resource (RCDATA 100) in 3 languages (language 0x0409, language "
      "0x040A, language 0x040B); the program installs whichever one the system picks for the "
      "user's language, so none is checked\n";
  for (const char* command : {"list", "verify"}) {
    const Result result = Run({command, Program()});
    EXPECT_EQ(result.exitCode, 5) << command;
    EXPECT_EQ(result.err, message) << command;
    EXPECT_EQ(result.out, "") << command;
  }
  const fs::path folder = root / "extracted";
  Result result = Run({"extract", Program(), folder.string()});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(result.err, message);
  EXPECT_FALSE(fs::exists(folder));

  shape.languageCount = 11;
  WriteText(Program(), BuildImage(package, shape).bytes);
  result = Run({"verify", Program()});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_NE(result.err.find("in 11 languages (language 0x0409, "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(", language 0x0410 and 3 more); "), std::string::npos) << result.err;
}

TEST_F(KvpackProgramTest, AProgramWithoutThePackageSaysSo) {
  const std::string message = "no package resource (RCDATA 100) in '" + Program() + "'";
  ImageSpec shape;
  shape.nameId = 101;
  ExpectRefused(BuildImage(package, shape).bytes, message, "RCDATA 101 only");
  shape = ImageSpec{};
  shape.typeId = 11;
  ExpectRefused(BuildImage(package, shape).bytes, message, "100 under another type");
  shape.typeId = 10;
  shape.languageCount = 0;
  ExpectRefused(BuildImage(package, shape).bytes, message, "RCDATA 100 without a language");

  Image image = BuildImage(package, ImageSpec{});
  Put32(image.bytes, image.directoryCountAt + 4 + 2 * 8, 0);
  ExpectRefused(image.bytes, message, "no resource directory");
  image = BuildImage(package, ImageSpec{});
  Put32(image.bytes, image.directoryCountAt, 2);
  ExpectRefused(image.bytes, message, "too few data directories");
}

TEST_F(KvpackProgramTest, TruncatedProgramsAreInputErrors) {
  ImageSpec shape;
  shape.packageInSecondSection = true;
  const Image image = BuildImage(package, shape);
  const struct {
    size_t length;
    const char* messagePart;
  } cuts[] = {
      {0x30, "too short"},  // not even a DOS header: read as a bare package
      {0x82, "too short"},  // half a signature: read as a bare package
      {0x90, "file header ends past the end"},
      {image.optionalAt + 100, "optional header ends past the end"},
      {image.sectionTableAt + 60, "section table ends past the end"},
      {image.rootAt + 8, "resource directory runs past the end of the file"},
      {image.languageDirectoryAt + 20, "resource tree leads outside the data of its section"},
      {image.dataEntryAt + 6, "resource tree leads outside the data of its section"},
      {image.packageAt + 4000, "RCDATA 100 resource runs past the end of the file"},
      {image.packageAt + package.size() - 1, "RCDATA 100 resource runs past the end of the file"},
  };
  for (const auto& cut : cuts) {
    ExpectRefused(image.bytes.substr(0, cut.length), cut.messagePart,
                  "cut at " + std::to_string(cut.length));
  }
}

TEST_F(KvpackProgramTest, HostileHeadersAndTreesGiveOneLineErrors) {
  const Image good = BuildImage(package, ImageSpec{});
  const size_t firstSection = good.sectionTableAt;
  const size_t resourceDirectory = good.directoryCountAt + 4 + 2 * 8;
  const size_t rcdataEntry = good.rootAt + 32;
  const size_t languageEntry = good.languageDirectoryAt + 16;
  const struct {
    const char* what;
    std::function<void(std::string&)> damage;
    const char* messagePart;
  } cases[] = {
      {"resource directory beyond every section",
       [&](std::string& b) { Put32(b, resourceDirectory, 0x7FFFFFF0); },
       "resource directory lies in no section's data"},
      {"section data beyond the file",
       [&](std::string& b) { Put32(b, firstSection + 20, 0xFFFFFE00); },
       "resource directory runs past the end of the file"},
      {"section and data of nearly 4 GiB",
       [&](std::string& b) {
         Put32(b, firstSection + 16, 0xFFFFFFFF);
         Put32(b, good.dataEntryAt + 4, 0xFFFFFF00);
       },
       "RCDATA 100 resource runs past the end of the file"},
      {"language entry back to the root (cycle)",
       [&](std::string& b) { Put32(b, languageEntry + 4, kSubdirectory); },
       "resource tree goes deeper than three levels"},
      {"name entry back to its own directory (cycle)",
       [&](std::string& b) {
         Put32(b, good.typeDirectoryAt + 16 + 4,
               kSubdirectory | static_cast<uint32_t>(good.typeDirectoryAt - good.rootAt));
       },
       "resource tree goes deeper than three levels"},
      {"65535 + 65535 root entries",
       [&](std::string& b) {
         Put16(b, good.rootAt + 12, 0xFFFF);
         Put16(b, good.rootAt + 14, 0xFFFF);
       },
       "resource tree leads outside the data of its section"},
      {"subdirectory beyond the section",
       [&](std::string& b) { Put32(b, rcdataEntry + 4, kSubdirectory | 0x7FFFFFF0); },
       "resource tree leads outside the data of its section"},
      {"data entry beyond the section",
       [&](std::string& b) { Put32(b, languageEntry + 4, 0x7FFFFFF8); },
       "resource tree leads outside the data of its section"},
      {"data size past the section",
       [&](std::string& b) { Put32(b, good.dataEntryAt + 4, 0xFFFFFFF0); },
       "RCDATA 100 resource runs past its section's data"},
      {"data address outside every section",
       [&](std::string& b) { Put32(b, good.dataEntryAt, 0x10); },
       "RCDATA 100 resource lies in no section's data"},
      {"RCDATA listed twice", [&](std::string& b) { Put32(b, good.rootAt + 24, 10); },
       "resource tree lists RCDATA twice"},
      {"RCDATA entry leads to data",
       [&](std::string& b) { Put32(b, rcdataEntry + 4, 0x40); },
       "RCDATA entry is not a directory"},
      {"65535 sections", [&](std::string& b) { Put16(b, 0x86, 0xFFFF); },
       "section table ends past the end of the file"},
      {"optional header of 65535 bytes", [&](std::string& b) { Put16(b, 0x94, 0xFFFF); },
       "optional header ends past the end of the file"},
      {"optional header too short for the directories",
       [&](std::string& b) { Put16(b, 0x94, 96); },
       "optional header is too short for its data directories"},
      {"unknown optional header", [&](std::string& b) { Put16(b, good.optionalAt, 0x107); },
       "optional header has the unknown magic 0x0107"},
  };
  for (const auto& hostile : cases) {
    std::string bytes = good.bytes;
    hostile.damage(bytes);
    ExpectRefused(bytes, std::string("is a damaged program: its ") + hostile.messagePart,
                  hostile.what);
  }
  // A sound program whose resource is no larger than a package's table.
  std::string bytes = good.bytes;
  Put32(bytes, good.dataEntryAt + 4, 3276);
  ExpectRefused(bytes, "the package in '" + Program() + "' is too short: 3276 bytes", "tiny");
}

TEST_F(KvpackProgramTest, ATamperedEmbeddedPackageFailsVerifyNamingTheEntry) {
  ImageSpec shape;
  shape.pe32plus = true;
  shape.packageInSecondSection = true;
  Image image = BuildImage(package, shape);
  package::PackageTable table;
  std::memcpy(table.bytes, package.data(), sizeof table.bytes);
  const size_t at = image.packageAt + package::ReadEntry(table, 2).offset + 7;
  image.bytes[at] = static_cast<char>(image.bytes[at] ^ 0x01);
  WriteText(Program(), image.bytes);

  Result result = Run({"verify", Program()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("kvpack: entry 3 '" + std::string(kNames[2]) + "': digest mismatch\n"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("entry 2 "), std::string::npos) << result.err;

  const fs::path folder = root / "extracted";
  result = Run({"extract", Program(), folder.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(fs::exists(folder / kNames[2]));
  EXPECT_EQ(ReadText(folder / "pin_out.ico"), contents[1]);
}

// The program the Windows build made, when KV_SETUP_EXE names it.
TEST_F(KvpackProgramTest, TheBuiltSetupProgram) {
  const char* setup = std::getenv("KV_SETUP_EXE");
  if (setup == nullptr || *setup == '\0') {
    GTEST_SKIP() << "KV_SETUP_EXE is not set";
  }
  Result result = Run({"list", setup});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("package: RCDATA 100 (", 0), 0u) << result.out;
  EXPECT_NE(result.out.find(" 21 of 21 entries verify\n"), std::string::npos) << result.out;
  result = Run({"verify", setup});
  EXPECT_EQ(result.exitCode, 0) << result.err;
}

// In-process sweeps over damaged images, each handed over in a buffer of
// exactly its size so that the sanitizers catch any read past the end.
class PeResourceSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < kCount; ++i) {
      files[i].name = kNames[i];
      files[i].content.assign(static_cast<size_t>(10 + i), static_cast<uint8_t>(i));
    }
    ASSERT_EQ(package::BuildPackage(files, 0, package), package::BUILD_OK);
  }

  static int Find(const std::string& bytes, kvpack::PackageResource& found, std::string& error) {
    const std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    error.clear();
    const int result =
        kvpack::FindPackageResource(package::ByteView{exact.data(), exact.size()}, found, error);
    if (result == kvpack::RESOURCE_FOUND) {
      // The view must lie inside the buffer.
      EXPECT_GE(found.package.data, exact.data());
      EXPECT_LE(found.fileOffset + found.package.size, exact.size());
      EXPECT_EQ(found.package.data, exact.data() + found.fileOffset);
    } else if (result == kvpack::RESOURCE_MALFORMED) {
      EXPECT_FALSE(error.empty());
    } else if (result == kvpack::RESOURCE_SEVERAL) {
      EXPECT_GT(found.languageCount, 1u);
      EXPECT_EQ(found.package.data, nullptr);
    } else {
      EXPECT_EQ(result, kvpack::RESOURCE_MISSING);
    }
    return result;
  }

  std::vector<package::PackFile> files = std::vector<package::PackFile>(kCount);
  std::vector<uint8_t> package;
};

TEST_F(PeResourceSweep, EveryCutBeforeThePackageEndsIsRefused) {
  for (const bool pe32plus : {false, true}) {
    ImageSpec shape;
    shape.pe32plus = pe32plus;
    shape.packageInSecondSection = true;
    const Image image = BuildImage(package, shape);
    kvpack::PackageResource found;
    std::string error;
    ASSERT_EQ(Find(image.bytes, found, error), kvpack::RESOURCE_FOUND);
    EXPECT_EQ(found.fileOffset, image.packageAt);
    EXPECT_EQ(found.package.size, package.size());
    for (size_t length = 0; length < image.packageAt + package.size(); ++length) {
      ASSERT_NE(Find(image.bytes.substr(0, length), found, error), kvpack::RESOURCE_FOUND)
          << length;
    }
  }
}

TEST_F(PeResourceSweep, NoChangedHeaderOrTreeByteLeadsOutsideTheFile) {
  ImageSpec shape;
  shape.packageInSecondSection = true;
  shape.languageCount = 2;
  const Image image = BuildImage(package, shape);
  kvpack::PackageResource found;
  std::string error;
  uint32_t stillFound = 0;
  for (size_t at = 0; at < image.dataEntryAt + 32; ++at) {
    for (const uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      std::string bytes = image.bytes;
      bytes[at] = static_cast<char>(value);
      const int result = Find(bytes, found, error);
      stillFound += result == kvpack::RESOURCE_FOUND || result == kvpack::RESOURCE_SEVERAL ? 1 : 0;
    }
  }
  // Most header bytes are not looked at, so many changes leave the two
  // languages where they were; the sweep is about the others.
  EXPECT_GT(stillFound, 0u);
}

}  // namespace

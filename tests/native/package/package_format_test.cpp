// The table layout, the bound and name tests, the table copy and the byte
// helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/bytes.h"
#include "package/package_format.h"

namespace {

using package::PackageEntry;
using package::PackageTable;

PackageEntry Named(const std::string& name) {
  PackageEntry entry{};
  std::memcpy(entry.name, name.data(), name.size());
  return entry;
}

TEST(PackageFormat, IntegersAreLittleEndian) {
  uint8_t bytes[4];
  package::WriteLe32(bytes, 0x00440AA8);
  EXPECT_EQ(std::memcmp(bytes, "\xA8\x0A\x44\x00", 4), 0);
  const uint8_t high[4] = {0x01, 0x02, 0x03, 0xF4};
  EXPECT_EQ(package::ReadLe32(high), 0xF4030201u);
}

TEST(PackageFormat, EntriesSitAtTheirFieldPositions) {
  PackageTable table{};
  PackageEntry entry = Named("readme.txt");
  entry.offset = 0x11223344;
  entry.size = 0x55667788;
  for (uint8_t i = 0; i < 16; ++i) {
    entry.digest[i] = static_cast<uint8_t>(0xA0 + i);
  }
  entry.reserved = 0x00440AA8;
  package::WriteEntry(table, 20, entry);

  const uint8_t* at = table.bytes + 20 * 156;
  EXPECT_STREQ(reinterpret_cast<const char*>(at), "readme.txt");
  EXPECT_EQ(package::ReadLe32(at + 128), 0x11223344u);
  EXPECT_EQ(package::ReadLe32(at + 132), 0x55667788u);
  EXPECT_EQ(at[136], 0xA0);
  EXPECT_EQ(at[151], 0xAF);
  EXPECT_EQ(package::ReadLe32(at + 152), 0x00440AA8u);
  // Entry 20 is the last: nothing was written before it.
  for (uint32_t i = 0; i < 20 * 156; ++i) {
    ASSERT_EQ(table.bytes[i], 0) << i;
  }

  const PackageEntry back = package::ReadEntry(table, 20);
  EXPECT_EQ(std::memcmp(back.name, entry.name, 128), 0);
  EXPECT_EQ(back.offset, entry.offset);
  EXPECT_EQ(back.size, entry.size);
  EXPECT_EQ(std::memcmp(back.digest, entry.digest, 16), 0);
  EXPECT_EQ(back.reserved, entry.reserved);
}

TEST(PackageFormat, OnlyPlainFileNamesAreSafe) {
  for (const char* name : {"readme.txt", "SONDREL_Setup_x64.exe", "a", ".hidden", "x.y.z"}) {
    EXPECT_TRUE(package::EntryNameIsSafe(Named(name))) << name;
  }
  for (const char* name : {"", ".", "..", "..\\evil.dll", "sub\\file.txt", "sub/file.txt",
                           "C:evil.exe", "a..b", "/abs"}) {
    EXPECT_FALSE(package::EntryNameIsSafe(Named(name))) << name;
  }
  EXPECT_TRUE(package::EntryNameIsSafe(Named(std::string(127, 'n'))));
  // All 128 bytes used: there is no terminating zero byte.
  EXPECT_FALSE(package::EntryNameIsSafe(Named(std::string(128, 'n'))));
}

TEST(PackageFormat, DeviceNamesAreNotFileNames) {
  for (const char* name : {"NUL", "nul.txt", "Con", "prn.log", "AUX", "com1", "COM9.bin", "lpt1.x.y",
                           "LPT9", "CONIN$", "conout$", "NUL .txt", "com1 ", "COM\xB9",
                           "com\xB2.txt", "Lpt\xB3 .log", "LPT\xB9.a.b"}) {
    EXPECT_FALSE(package::EntryNameIsSafe(Named(name))) << name;
  }
  // Only the whole stem counts: these are ordinary files.
  for (const char* name : {"NULL", "nul_x.txt", "COM", "COM10", "COM0", "console.txt", "xnul",
                           "LPT", "auxiliary.dll", ".nul", "a.con", "COM\xB4", "COM\xB9\xB9",
                           "LPT1\xB9", "CON\xB9"}) {
    EXPECT_TRUE(package::EntryNameIsSafe(Named(name))) << name;
  }
}

// Names Windows would resolve to another file: a final full stop or space
// is dropped, and a name that fits 8.3 may be another file's short name
// (Windows writes "SONDRE~1.EXE", Wine "SOND~AFN.EXE").
TEST(PackageFormat, NamesWindowsWouldTakeForAnotherAreRefused) {
  const struct {
    const char* name;
    int problem;
  } cases[] = {
      {"SONDREL_Setup_x64.exe.", package::NAME_TRAILING_DOT_OR_SPACE},
      {"SONDREL_Setup_x64.exe ", package::NAME_TRAILING_DOT_OR_SPACE},
      {"readme.txt. .", package::NAME_TRAILING_DOT_OR_SPACE},
      {"  ", package::NAME_TRAILING_DOT_OR_SPACE},
      {"SONDRE~1.EXE", package::NAME_SHORT_FORM},
      {"sond~afn.exe", package::NAME_SHORT_FORM},
      {"BREVIK~1.EXE", package::NAME_SHORT_FORM},
      {"SO1A2B~1", package::NAME_SHORT_FORM},
      {"~a", package::NAME_SHORT_FORM},
      {"a~b.c", package::NAME_SHORT_FORM},
      {"nul.", package::NAME_DEVICE},
      {"bad|pipe.txt", package::NAME_BAD_CHARACTER},
      {"tab\there", package::NAME_BAD_CHARACTER},
      {"a..", package::NAME_FOLDER_PART},
      {"", package::NAME_EMPTY},
  };
  for (const auto& c : cases) {
    const uint32_t length = static_cast<uint32_t>(std::strlen(c.name));
    EXPECT_EQ(package::CheckEntryName(c.name, length), c.problem) << c.name;
    EXPECT_FALSE(package::EntryNameIsSafe(Named(c.name))) << c.name;
  }
  EXPECT_EQ(package::CheckEntryName("a\0b", 3), package::NAME_BAD_CHARACTER);
  EXPECT_EQ(package::CheckEntryName(std::string(128, 'n').c_str(), 128), package::NAME_TOO_LONG);
  // A tilde in a name too long for 8.3, or with two full stops, is no short
  // name's; a full stop or space inside a name is kept by Windows.
  for (const char* name : {"notes~v2.backup.txt", "SONDREL~1.EXE", "SONDRE~1.EXEC", "a~b.c.d",
                           "setup~x64_tool.exe", ".hidden", "two words.txt", "x. y"}) {
    EXPECT_EQ(package::CheckEntryName(name, static_cast<uint32_t>(std::strlen(name))),
              package::NAME_OK)
        << name;
    EXPECT_TRUE(package::EntryNameIsSafe(Named(name))) << name;
  }
}

// Entries naming one file (letter case aside) are all refused, whichever
// comes first; unsafe names take no part.
TEST(PackageFormat, EntriesSharingAFileMayNotBeWritten) {
  PackageTable table{};
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    package::WriteEntry(table, i, Named("file" + std::to_string(i) + ".bin"));
  }
  package::WriteEntry(table, 13, Named("SONDREL_Setup_x64.exe"));
  for (uint32_t i = 0; i < package::PACKAGE_ENTRY_COUNT; ++i) {
    ASSERT_TRUE(package::EntryMayBeWritten(table, i)) << i;
    ASSERT_EQ(package::EntrySharingFile(table, i), package::NO_ENTRY) << i;
  }

  package::WriteEntry(table, 17, Named("sondrel_setup_X64.EXE"));
  package::WriteEntry(table, 3, Named("SONDREL_Setup_x64.exe"));
  EXPECT_EQ(package::EntrySharingFile(table, 17), 3u);
  EXPECT_EQ(package::EntrySharingFile(table, 3), 13u);
  for (const uint32_t i : {3u, 13u, 17u}) {
    EXPECT_FALSE(package::EntryMayBeWritten(table, i)) << i;
  }
  EXPECT_TRUE(package::EntryMayBeWritten(table, 4));

  // The trailing-dot twin is refused on its own and leaves the tool alone.
  package::WriteEntry(table, 3, Named("file3.bin"));
  package::WriteEntry(table, 17, Named("SONDREL_Setup_x64.exe."));
  EXPECT_FALSE(package::EntryMayBeWritten(table, 17));
  EXPECT_TRUE(package::EntryMayBeWritten(table, 13));
  EXPECT_EQ(package::EntrySharingFile(table, 13), package::NO_ENTRY);
}

TEST(PackageFormat, BoundTestHasNoWrapAround) {
  PackageEntry entry{};
  entry.offset = 3276;
  entry.size = 100;
  EXPECT_TRUE(package::EntryInBounds(entry, 3376));
  EXPECT_FALSE(package::EntryInBounds(entry, 3375));
  // offset + size wraps to 0x10 in 32 bits.
  entry.offset = 0xFFFFFFF0u;
  entry.size = 0x20;
  EXPECT_FALSE(package::EntryInBounds(entry, 4000));
  EXPECT_TRUE(package::EntryInBounds(entry, 0x100000010ull));
  entry.offset = 4000;
  entry.size = 0;
  EXPECT_TRUE(package::EntryInBounds(entry, 4000));
  EXPECT_FALSE(package::EntryInBounds(entry, 3999));
}

TEST(PackageFormat, TableIsCopiedOnlyFromPackagesLargerThanIt) {
  std::vector<uint8_t> bytes(3277);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(i * 7 + 1);
  }
  PackageTable table;
  std::memset(table.bytes, 0x5A, sizeof table.bytes);

  EXPECT_EQ(package::CopyPackageTable({bytes.data(), 3276}, table), -1);
  for (uint8_t byte : table.bytes) {
    ASSERT_EQ(byte, 0x5A);
  }
  EXPECT_EQ(package::CopyPackageTable({nullptr, 5000}, table), -1);

  EXPECT_EQ(package::CopyPackageTable({bytes.data(), 3277}, table), 0);
  EXPECT_EQ(std::memcmp(table.bytes, bytes.data(), 3276), 0);
}

TEST(ByteBlocks, EqualCopyAndZero) {
  uint8_t a[5] = {1, 2, 3, 4, 5};
  uint8_t b[5] = {1, 2, 3, 4, 6};
  EXPECT_EQ(package::BytesEqual(a, b, 4), 1);
  EXPECT_EQ(package::BytesEqual(a, b, 5), 0);
  EXPECT_EQ(package::BytesEqual(a, b, 0), 1);
  EXPECT_EQ(package::BytesEqual(a, a, 5), 1);

  package::CopyBytes(a, a, 5);
  EXPECT_EQ(std::memcmp(a, "\x01\x02\x03\x04\x05", 5), 0);
  package::CopyBytes(b, a, 0);
  EXPECT_EQ(b[4], 6);
  package::CopyBytes(b, a, 5);
  EXPECT_EQ(std::memcmp(a, b, 5), 0);

  package::ZeroBytes(a + 1, 3);
  EXPECT_EQ(std::memcmp(a, "\x01\x00\x00\x00\x05", 5), 0);
}

}  // namespace

// The package layout: a fixed table of 21 entries of 156 bytes, then the
// entries' scrambled data. All integers are unsigned 32-bit little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/answers.h"

namespace package {

inline constexpr uint32_t PACKAGE_ENTRY_COUNT = 21;
inline constexpr uint32_t PACKAGE_ENTRY_SIZE = 156;
inline constexpr uint32_t PACKAGE_TABLE_SIZE = PACKAGE_ENTRY_COUNT * PACKAGE_ENTRY_SIZE;  // 3276
inline constexpr uint32_t PACKAGE_NAME_SIZE = 128;  // name field, zero byte included
inline constexpr uint32_t DIGEST_SIZE = 16;
inline constexpr uint32_t DEFAULT_RESERVED = 0x00440AA8;

// Field positions inside one entry.
inline constexpr uint32_t ENTRY_NAME_AT = 0;
inline constexpr uint32_t ENTRY_OFFSET_AT = 128;
inline constexpr uint32_t ENTRY_SIZE_AT = 132;
inline constexpr uint32_t ENTRY_DIGEST_AT = 136;
inline constexpr uint32_t ENTRY_RESERVED_AT = 152;

// The four names the setup procedures refer to, and their table positions
// (zero-based).
inline constexpr const char* SETUP_TOOL_NAME = "SONDREL_Setup.exe";
inline constexpr const char* SETUP_TOOL_X64_NAME = "SONDREL_Setup_x64.exe";
inline constexpr const char* COMPANION_APP_NAME = "SONDREL_Brevik.exe";
inline constexpr const char* README_NAME = "readme.txt";
inline constexpr uint32_t SETUP_TOOL_INDEX = 12;
inline constexpr uint32_t SETUP_TOOL_X64_INDEX = 13;
inline constexpr uint32_t COMPANION_APP_INDEX = 19;
inline constexpr uint32_t README_INDEX = 20;

// The table exactly as stored: a byte-for-byte copy of the first 3276 bytes.
struct PackageTable {
  uint8_t bytes[PACKAGE_TABLE_SIZE];
};

// One entry decoded from the table. `name` is the raw 128-byte field; it may
// lack a zero byte in a damaged table (see EntryNameIsSafe).
struct PackageEntry {
  char name[PACKAGE_NAME_SIZE];
  uint32_t offset;
  uint32_t size;
  uint8_t digest[DIGEST_SIZE];
  uint32_t reserved;
};

// A read-only view of package bytes. The size is 64-bit so that bound tests
// never wrap.
struct ByteView {
  const uint8_t* data = nullptr;
  uint64_t size = 0;
};

uint32_t ReadLe32(const uint8_t* at);
void WriteLe32(uint8_t* at, uint32_t value);

// Decodes entry `index` (0 to 20) of `table`.
PackageEntry ReadEntry(const PackageTable& table, uint32_t index);
// Encodes `entry` as entry `index` of `table`.
void WriteEntry(PackageTable& table, uint32_t index, const PackageEntry& entry);

// Why a name cannot be the name of an entry's file, as CheckEntryName
// answers; NAME_OK when it can.
inline constexpr int NAME_OK = 0;
inline constexpr int NAME_EMPTY = 1;
inline constexpr int NAME_TOO_LONG = 2;        // no room for the zero byte in the name field
inline constexpr int NAME_DEVICE = 3;          // NameIsDevice
inline constexpr int NAME_FOLDER_PART = 4;     // '\\', '/', ':' or "..", or "." alone
inline constexpr int NAME_BAD_CHARACTER = 5;   // a control character (zero too) or < > " | ? *
inline constexpr int NAME_TRAILING_DOT_OR_SPACE = 6;  // Windows drops them: another name's file
inline constexpr int NAME_SHORT_FORM = 7;      // NameCouldBeShortForm
inline constexpr int NAME_SAME_FILE = 8;       // another entry names the same file (SameFileName)

// The first rule that the `length` bytes at `name` break, in the order of
// the constants above, or NAME_OK. Every entry file name, wherever it is
// checked (the setup program, kvpack, the build's configuration through
// kvpack), passes this one test. NAME_SAME_FILE is a matter of the whole
// table and is never answered here.
int CheckEntryName(const char* name, uint32_t length);

// True when the name field holds a zero byte and the name before it passes
// CheckEntryName. Only such entries are ever written to or deleted from
// disk; the verifying walk does not look at names, so an unsafe entry still
// verifies and moves the chain.
[[nodiscard]] bool EntryNameIsSafe(const PackageEntry& entry);

// The first entry of `table` other than `index` whose name is safe and names
// the same file on Windows as entry `index`'s safe name, or NO_ENTRY (also
// when entry `index`'s own name is not safe).
inline constexpr uint32_t NO_ENTRY = PACKAGE_ENTRY_COUNT;
uint32_t EntrySharingFile(const PackageTable& table, uint32_t index);

// True when entry `index` of `table` may be written to or deleted from disk:
// its name is safe and no other entry names the same file. Entries that
// share one file are all refused, since whichever came last would replace
// what an earlier one wrote.
[[nodiscard]] bool EntryMayBeWritten(const PackageTable& table, uint32_t index);

// True when the `length` bytes at `name` name a Windows device in every folder:
// the stem before the first '.', less trailing spaces, is CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, CONIN$ or CONOUT$ in any case, or COM or LPT followed
// by one of the bytes 0xB9, 0xB2, 0xB3 (superscript 1, 2, 3 in the Western
// code page), as in "nul.txt" or "com1 .log".
[[nodiscard]] bool NameIsDevice(const char* name, uint32_t length);

// True when the `length` bytes at `name` could be the short (8.3) name that
// Windows or Wine gives another file: at most one '.', at most 8 bytes
// before it and 3 after it, and a '~' anywhere. Windows opens a file by its
// short name as by its long one, so such an entry could replace another
// entry's file, or the uninstaller's. Windows puts digits after the '~', but
// Wine puts letters there too, so any '~' counts.
[[nodiscard]] bool NameCouldBeShortForm(const char* name, uint32_t length);

// True when `first` and `second` name the same file on Windows as far as
// entry names go: equal but for ASCII letter case.
[[nodiscard]] bool SameFileName(const char* first, const char* second);

// True when entry data [offset, offset + size) lies inside a package of
// `packageSize` bytes, computed without 32-bit wrap-around.
[[nodiscard]] bool EntryInBounds(const PackageEntry& entry, uint64_t packageSize);

// Results of CopyPackageTable.
inline constexpr int TABLE_COPIED = platform::ANSWER_SUCCESS;
inline constexpr int TABLE_NOT_COPIED = -1;

// Copies the first 3276 bytes of `package` into `table` when the package is
// larger than the table (3277 bytes or more) and returns TABLE_COPIED;
// otherwise leaves `table` unchanged and returns TABLE_NOT_COPIED.
int CopyPackageTable(ByteView package, PackageTable& table);

}  // namespace package

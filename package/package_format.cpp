// Decoding and encoding of the package table, and the two tests every entry
// faces before its data is used or its file touched: the bound test and the
// name test.
#include "package/package_format.h"

#include "package/bytes.h"

namespace package {

uint32_t ReadLe32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

void WriteLe32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value >> 16);
  at[3] = static_cast<uint8_t>(value >> 24);
}

PackageEntry ReadEntry(const PackageTable& table, uint32_t index) {
  const uint8_t* at = table.bytes + index * PACKAGE_ENTRY_SIZE;
  PackageEntry entry;
  CopyBytes(entry.name, at + ENTRY_NAME_AT, PACKAGE_NAME_SIZE);
  entry.offset = ReadLe32(at + ENTRY_OFFSET_AT);
  entry.size = ReadLe32(at + ENTRY_SIZE_AT);
  CopyBytes(entry.digest, at + ENTRY_DIGEST_AT, DIGEST_SIZE);
  entry.reserved = ReadLe32(at + ENTRY_RESERVED_AT);
  return entry;
}

void WriteEntry(PackageTable& table, uint32_t index, const PackageEntry& entry) {
  uint8_t* at = table.bytes + index * PACKAGE_ENTRY_SIZE;
  CopyBytes(at + ENTRY_NAME_AT, entry.name, PACKAGE_NAME_SIZE);
  WriteLe32(at + ENTRY_OFFSET_AT, entry.offset);
  WriteLe32(at + ENTRY_SIZE_AT, entry.size);
  CopyBytes(at + ENTRY_DIGEST_AT, entry.digest, DIGEST_SIZE);
  WriteLe32(at + ENTRY_RESERVED_AT, entry.reserved);
}

namespace {

// Windows opens these names as devices in every folder, with or without an
// extension ("nul.txt" is NUL too) and with trailing spaces before it.
// Windows also takes COM and LPT with a superscript 1, 2 or 3 as devices;
// in the Western code page those are the bytes 0xB9, 0xB2 and 0xB3. They are
// refused as bytes, whatever the code page: the same name must be refused on
// every machine.
constexpr const char* DEVICE_NAMES[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1",   "COM2",    "COM3",     "COM4",     "COM5",
    "COM6", "COM7", "COM8", "COM9", "LPT1",   "LPT2",    "LPT3",     "LPT4",     "LPT5",
    "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$", "COM\xB9", "COM\xB2", "COM\xB3",
    "LPT\xB9", "LPT\xB2", "LPT\xB3"};

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool SameFileName(const char* first, const char* second) {
  for (;; ++first, ++second) {
    if (UpperAscii(*first) != UpperAscii(*second)) return false;
    if (*first == '\0') return true;
  }
}

bool NameIsDevice(const char* name, uint32_t length) {
  uint32_t stem = 0;
  while (stem < length && name[stem] != '.') {
    ++stem;
  }
  while (stem > 0 && name[stem - 1] == ' ') {
    --stem;
  }
  for (const char* device : DEVICE_NAMES) {
    uint32_t i = 0;
    while (i < stem && device[i] != '\0' && UpperAscii(name[i]) == device[i]) {
      ++i;
    }
    if (i == stem && device[i] == '\0') {
      return true;
    }
  }
  return false;
}

bool NameCouldBeShortForm(const char* name, uint32_t length) {
  uint32_t dot = length;
  bool tilde = false;
  for (uint32_t i = 0; i < length; ++i) {
    if (name[i] == '.') {
      if (dot != length) return false;  // two full stops: no short name has them
      dot = i;
    }
    tilde = tilde || name[i] == '~';
  }
  const uint32_t extension = dot == length ? 0 : length - dot - 1;
  return tilde && dot <= 8 && extension <= 3;
}

int CheckEntryName(const char* name, uint32_t length) {
  if (length == 0) return NAME_EMPTY;
  if (length >= PACKAGE_NAME_SIZE) return NAME_TOO_LONG;
  // A device name is told apart from a folder part: the file has to be
  // renamed, not moved.
  if (NameIsDevice(name, length)) return NAME_DEVICE;
  for (uint32_t i = 0; i < length; ++i) {
    const char c = name[i];
    if (c == '\\' || c == '/' || c == ':' || (c == '.' && i + 1 < length && name[i + 1] == '.')) {
      return NAME_FOLDER_PART;
    }
  }
  // "." alone names the target folder itself, not a file in it.
  if (length == 1 && name[0] == '.') return NAME_FOLDER_PART;
  for (uint32_t i = 0; i < length; ++i) {
    const char c = name[i];
    if (static_cast<unsigned char>(c) < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' ||
        c == '?' || c == '*') {
      return NAME_BAD_CHARACTER;
    }
  }
  // Windows drops a final full stop or space from a file name, so
  // "tool.exe." would open "tool.exe".
  if (name[length - 1] == '.' || name[length - 1] == ' ') return NAME_TRAILING_DOT_OR_SPACE;
  if (NameCouldBeShortForm(name, length)) return NAME_SHORT_FORM;
  return NAME_OK;
}

bool EntryNameIsSafe(const PackageEntry& entry) {
  uint32_t length = 0;
  while (length < PACKAGE_NAME_SIZE && entry.name[length] != '\0') {
    ++length;
  }
  // No zero byte: the field is not a text at all, and reading past it would
  // leave the entry.
  if (length == PACKAGE_NAME_SIZE) return false;
  return CheckEntryName(entry.name, length) == NAME_OK;
}

uint32_t EntrySharingFile(const PackageTable& table, uint32_t index) {
  const PackageEntry entry = ReadEntry(table, index);
  if (!EntryNameIsSafe(entry)) return NO_ENTRY;
  for (uint32_t other = 0; other < PACKAGE_ENTRY_COUNT; ++other) {
    if (other == index) continue;
    const PackageEntry candidate = ReadEntry(table, other);
    if (EntryNameIsSafe(candidate) && SameFileName(entry.name, candidate.name)) {
      return other;
    }
  }
  return NO_ENTRY;
}

bool EntryMayBeWritten(const PackageTable& table, uint32_t index) {
  return EntryNameIsSafe(ReadEntry(table, index)) && EntrySharingFile(table, index) == NO_ENTRY;
}

bool EntryInBounds(const PackageEntry& entry, uint64_t packageSize) {
  const uint64_t end = static_cast<uint64_t>(entry.offset) + static_cast<uint64_t>(entry.size);
  return end <= packageSize;
}

int CopyPackageTable(ByteView package, PackageTable& table) {
  if (package.data == nullptr || package.size <= PACKAGE_TABLE_SIZE) {
    return TABLE_NOT_COPIED;
  }
  CopyBytes(table.bytes, package.data, PACKAGE_TABLE_SIZE);
  return TABLE_COPIED;
}

}  // namespace package

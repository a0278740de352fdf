// Finding the package inside a built Windows program: the raw-data resource
// RCDATA 100 of a PE32 or PE32+ file, read from the file's bytes alone.
#include "tools/kvpack/pe_resource.h"

#include <cstdio>

namespace kvpack {
namespace {

using package::ByteView;

// DOS header.
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kNtHeadersAtField = 0x3C;
// The "PE\0\0" signature, then the file header.
constexpr uint64_t kSignatureSize = 4;
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint64_t kSectionCountField = 2;
constexpr uint64_t kOptionalHeaderSizeField = 16;
// Optional header: its magic tells PE32 from PE32+, which differ in where
// the data directories start.
constexpr uint32_t kPe32Magic = 0x10B;
constexpr uint32_t kPe32PlusMagic = 0x20B;
constexpr uint64_t kPe32DirectoryCountField = 92;
constexpr uint64_t kPe32PlusDirectoryCountField = 108;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint64_t kDataDirectorySize = 8;
// Section header.
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kSectionAddressField = 12;
constexpr uint64_t kSectionRawSizeField = 16;
constexpr uint64_t kSectionRawAtField = 20;
// Resource tree: directories of 8-byte entries, named entries first; offsets
// count from the root directory, and the top bit of an entry's target marks
// a subdirectory.
constexpr uint64_t kDirectoryHeaderSize = 16;
constexpr uint64_t kNamedCountField = 12;
constexpr uint64_t kIdCountField = 14;
constexpr uint64_t kDirectoryEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;

// Reads the little-endian field of `width` bytes (2 or 4) at `at` into
// `value`. Returns false, leaving `value` alone, when it does not lie wholly
// inside `bytes`.
bool ReadField(ByteView bytes, uint64_t at, uint32_t width, uint32_t& value) {
  if (at > bytes.size || bytes.size - at < width) {
    return false;
  }
  uint32_t result = 0;
  for (uint32_t i = width; i-- > 0;) {
    result = (result << 8) | bytes.data[at + i];
  }
  value = result;
  return true;
}

// The section table, already checked to lie inside the file.
struct SectionTable {
  uint64_t at;
  uint32_t count;
};

// Maps `size` bytes at the address `rva` to the file: the first section
// whose raw data holds `rva` must hold all of them, inside the file. Sets
// `at` to their file position and `room` to the bytes of that section's raw
// data from there on (within the file). Returns null, or why it failed.
const char* MapRange(ByteView file, SectionTable sections, uint32_t rva, uint32_t size,
                     uint64_t& at, uint64_t& room) {
  for (uint32_t i = 0; i < sections.count; ++i) {
    const uint64_t header = sections.at + i * kSectionHeaderSize;
    uint32_t address = 0;
    uint32_t rawSize = 0;
    uint32_t rawAt = 0;
    ReadField(file, header + kSectionAddressField, 4, address);
    ReadField(file, header + kSectionRawSizeField, 4, rawSize);
    ReadField(file, header + kSectionRawAtField, 4, rawAt);
    if (rva < address || rva - address >= rawSize) {
      continue;
    }
    const uint64_t inSection = rva - address;
    if (inSection + size > rawSize) {
      return "runs past its section's data";
    }
    at = uint64_t{rawAt} + inSection;
    if (at > file.size || file.size - at < size) {
      return "runs past the end of the file";
    }
    room = rawSize - inSection;
    room = room < file.size - at ? room : file.size - at;
    return nullptr;
  }
  return "lies in no section's data";
}

// Looks in the resource directory at `at` of `tree` for the entry `id`, or
// takes its first entry when `id` is null. Sets `count` to the entries
// searched and, on a find, `target` to the entry's target field and `name` to
// its identifier field. Returns 1 when found once, 0 when not, 2 when `id`
// is there more than once (the loader's binary search may take either), and
// -1 when the directory does not fit inside `tree`.
int FindEntry(ByteView tree, uint64_t at, const uint32_t* id, uint32_t& count, uint32_t& name,
              uint32_t& target) {
  uint32_t named = 0;
  uint32_t ids = 0;
  if (!ReadField(tree, at + kNamedCountField, 2, named) ||
      !ReadField(tree, at + kIdCountField, 2, ids) ||
      // Both counts are 16-bit, so this sum cannot wrap in 64 bits; checking
      // it bounds the loop below by the section's size.
      at + kDirectoryHeaderSize + (uint64_t{named} + ids) * kDirectoryEntrySize > tree.size) {
    return -1;
  }
  count = id == nullptr ? named + ids : ids;
  // Named entries never match an identifier: skip them.
  const uint32_t first = id == nullptr ? 0 : named;
  int found = 0;
  for (uint32_t i = first; i < named + ids; ++i) {
    const uint64_t entry = at + kDirectoryHeaderSize + i * kDirectoryEntrySize;
    uint32_t entryName = 0;
    ReadField(tree, entry, 4, entryName);
    if (id == nullptr || entryName == *id) {
      if (found == 1) {
        return 2;
      }
      name = entryName;
      ReadField(tree, entry + 4, 4, target);
      found = 1;
      if (id == nullptr) {
        break;
      }
    }
  }
  return found;
}

// Reads the identifier fields of the first MAX_LISTED_LANGUAGES entries of
// the directory at `at` of `tree`, already found to fit, into `languages`.
void ListLanguages(ByteView tree, uint64_t at, uint32_t count, uint32_t* languages) {
  for (uint32_t i = 0; i < count && i < MAX_LISTED_LANGUAGES; ++i) {
    ReadField(tree, at + kDirectoryHeaderSize + i * kDirectoryEntrySize, 4, languages[i]);
  }
}

}  // namespace

int IsProgramImage(ByteView file) {
  uint32_t ntAt = 0;
  uint32_t signature = 0;
  return file.size >= kDosHeaderSize && file.data[0] == 'M' && file.data[1] == 'Z' &&
                 ReadField(file, kNtHeadersAtField, 4, ntAt) &&
                 ReadField(file, ntAt, 4, signature) && signature == 0x00004550u  // "PE\0\0"
             ? 1
             : 0;
}

int FindPackageResource(ByteView file, PackageResource& found, std::string& error) {
  found = PackageResource{};
  auto malformed = [&error](const std::string& reason) {
    error = reason;
    return RESOURCE_MALFORMED;
  };
  if (IsProgramImage(file) != 1) {
    return malformed("it has no DOS header leading to a PE signature");
  }
  uint32_t ntAt = 0;
  ReadField(file, kNtHeadersAtField, 4, ntAt);
  const uint64_t fileHeader = uint64_t{ntAt} + kSignatureSize;
  uint32_t sectionCount = 0;
  uint32_t optionalSize = 0;
  if (!ReadField(file, fileHeader + kSectionCountField, 2, sectionCount) ||
      !ReadField(file, fileHeader + kOptionalHeaderSizeField, 2, optionalSize)) {
    return malformed("its file header ends past the end of the file");
  }
  const uint64_t optionalAt = fileHeader + kFileHeaderSize;
  if (optionalAt + optionalSize > file.size) {
    return malformed("its optional header ends past the end of the file");
  }
  const ByteView optional{file.data + optionalAt, optionalSize};
  uint32_t magic = 0;
  ReadField(optional, 0, 2, magic);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) {
    char text[64];
    std::snprintf(text, sizeof text, "its optional header has the unknown magic 0x%04X",
                  static_cast<unsigned>(magic));
    return malformed(text);
  }
  const uint64_t countField =
      magic == kPe32Magic ? kPe32DirectoryCountField : kPe32PlusDirectoryCountField;
  uint32_t directoryCount = 0;
  if (!ReadField(optional, countField, 4, directoryCount)) {
    return malformed("its optional header is too short for its data directories");
  }
  const SectionTable sections{optionalAt + optionalSize, sectionCount};
  if (sections.at + sections.count * kSectionHeaderSize > file.size) {
    return malformed("its section table ends past the end of the file");
  }

  uint32_t rootRva = 0;
  uint32_t rootSize = 0;
  if (directoryCount > kResourceDirectoryIndex) {
    const uint64_t entry = countField + 4 + kResourceDirectoryIndex * kDataDirectorySize;
    if (!ReadField(optional, entry, 4, rootRva) || !ReadField(optional, entry + 4, 4, rootSize)) {
      return malformed("its optional header is too short for its data directories");
    }
  }
  if (rootRva == 0 || rootSize == 0) {
    return RESOURCE_MISSING;  // no resources at all
  }
  uint64_t rootAt = 0;
  uint64_t treeSize = 0;
  if (const char* reason =
          MapRange(file, sections, rootRva, kDirectoryHeaderSize, rootAt, treeSize)) {
    return malformed(std::string("its resource directory ") + reason);
  }
  // Every offset in the tree counts from the root and must stay inside the
  // rest of the section that holds the root.
  const ByteView tree{file.data + rootAt, treeSize};
  const char* const kOutside = "its resource tree leads outside the data of its section";

  // Type, then name: each must lead to a directory one level down.
  uint64_t directory = 0;
  uint32_t count = 0;
  uint32_t name = 0;
  uint32_t target = 0;
  for (const uint32_t id : {PACKAGE_RESOURCE_TYPE, PACKAGE_RESOURCE_ID}) {
    const int result = FindEntry(tree, directory, &id, count, name, target);
    if (result < 0) {
      return malformed(kOutside);
    }
    if (result == 0) {
      return RESOURCE_MISSING;
    }
    if (result == 2) {
      return malformed(id == PACKAGE_RESOURCE_TYPE ? "its resource tree lists RCDATA twice"
                                                   : "its resource tree lists RCDATA 100 twice");
    }
    if ((target & kSubdirectoryFlag) == 0) {
      return malformed(id == PACKAGE_RESOURCE_TYPE ? "its RCDATA entry is not a directory"
                                                   : "its RCDATA 100 entry is not a directory");
    }
    directory = target & ~kSubdirectoryFlag;
  }

  // Language: the only entry, which must be the data entry. Going no
  // deeper is what keeps a cyclic tree from being followed round.
  const int result = FindEntry(tree, directory, nullptr, count, name, target);
  if (result < 0) {
    return malformed(kOutside);
  }
  if (result == 0) {
    return RESOURCE_MISSING;  // a name with no language under it
  }
  found.languageCount = count;
  ListLanguages(tree, directory, count, found.languages);
  if (count > 1) {
    return RESOURCE_SEVERAL;
  }
  if ((target & kSubdirectoryFlag) != 0) {
    return malformed("its resource tree goes deeper than three levels");
  }
  uint32_t dataRva = 0;
  uint32_t dataSize = 0;
  if (uint64_t{target} + kDataEntrySize > tree.size) {
    return malformed(kOutside);
  }
  ReadField(tree, target, 4, dataRva);
  ReadField(tree, uint64_t{target} + 4, 4, dataSize);
  uint64_t dataAt = 0;
  uint64_t room = 0;
  if (const char* reason = MapRange(file, sections, dataRva, dataSize, dataAt, room)) {
    return malformed(std::string("its RCDATA 100 resource ") + reason);
  }
  found.package = ByteView{file.data + dataAt, dataSize};
  found.fileOffset = dataAt;
  return RESOURCE_FOUND;
}

}  // namespace kvpack

// The producing walk: lays out a new package and scrambles each entry with
// the key chain that the verifying walk will follow.
#include "package/package_build.h"

#include <new>

#include "package/bytes.h"
#include "package/scramble.h"
#include "platform/answers.h"
#include "platform/digest.h"

namespace package {
int CheckPackName(const std::vector<PackFile>& files, uint32_t index, uint32_t& earlier) {
  const std::string& name = files[index].name;
  const int problem = CheckEntryName(name.data(), static_cast<uint32_t>(name.size()));
  if (problem != NAME_OK) return problem;
  for (uint32_t other = 0; other < index; ++other) {
    if (SameFileName(name.c_str(), files[other].name.c_str())) {
      earlier = other;
      return NAME_SAME_FILE;
    }
  }
  return NAME_OK;
}

int BuildPackage(const std::vector<PackFile>& files, uint32_t reserved, std::vector<uint8_t>& out,
                 uint32_t* badIndex) {
  if (files.size() != PACKAGE_ENTRY_COUNT) {
    return BUILD_WRONG_COUNT;
  }
  uint64_t total = PACKAGE_TABLE_SIZE;
  for (uint32_t index = 0; index < PACKAGE_ENTRY_COUNT; ++index) {
    uint32_t earlier = 0;
    if (CheckPackName(files, index, earlier) != NAME_OK) {
      if (badIndex != nullptr) {
        *badIndex = index;
      }
      return BUILD_BAD_NAME;
    }
    total += files[index].content.size();
  }
  // Offsets and sizes are 32-bit, and the package must be addressable as one
  // block of a 32-bit byte count.
  if (total > UINT32_MAX) {
    return BUILD_TOO_LARGE;
  }

  std::vector<uint8_t> package;
  try {
    package.resize(static_cast<size_t>(total));
  } catch (const std::bad_alloc&) {
    return BUILD_NO_MEMORY;
  }

  PackageTable table{};
  KeyChain chain = StartChain();
  uint32_t offset = PACKAGE_TABLE_SIZE;
  for (uint32_t index = 0; index < PACKAGE_ENTRY_COUNT; ++index) {
    const PackFile& file = files[index];
    const uint32_t size = static_cast<uint32_t>(file.content.size());
    PackageEntry entry{};
    CopyBytes(entry.name, file.name.data(), static_cast<uint32_t>(file.name.size()));
    entry.offset = offset;
    entry.size = size;
    entry.reserved = reserved;
    if (platform::Md5Digest(file.content.data(), size, entry.digest) != platform::ANSWER_YES) {
      return BUILD_DIGEST_FAILED;
    }
    uint8_t* stored = package.data() + offset;
    ScrambleBytes(stored, file.content.data(), size, chain.running, chain.key);
    uint8_t storedDigest[DIGEST_SIZE];
    if (platform::Md5Digest(stored, size, storedDigest) != platform::ANSWER_YES) {
      return BUILD_DIGEST_FAILED;
    }
    AdvanceChain(chain, storedDigest);
    WriteEntry(table, index, entry);
    offset += size;
  }
  CopyBytes(package.data(), table.bytes, PACKAGE_TABLE_SIZE);
  out.swap(package);
  return BUILD_OK;
}

}  // namespace package

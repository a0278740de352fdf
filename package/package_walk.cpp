// The verifying walk over a package along the key chain.
#include "package/package_walk.h"

#include <memory>
#include <new>

#include "package/bytes.h"
#include "package/scramble.h"
#include "platform/answers.h"
#include "platform/digest.h"

namespace package {

// The table stores the platform's MD5 digests.
static_assert(DIGEST_SIZE == platform::MD5_DIGEST_SIZE);

namespace {

// The one writable block that receives each entry's plain content. It is
// sized to the largest entry up front so the walk allocates once; should that
// fail, each entry tries for a block of its own size, so that one huge damaged
// entry does not take the others down with it.
struct PlainBuffer {
  std::unique_ptr<uint8_t[]> bytes;
  uint64_t capacity = 0;
};

// A block of at least `size` bytes, or null when none could be had.
uint8_t* ReservePlain(PlainBuffer& buffer, uint64_t size) {
  if (buffer.bytes != nullptr && buffer.capacity >= size) {
    return buffer.bytes.get();
  }
  buffer.bytes.reset();
  buffer.capacity = 0;
  // At least one byte, so that an empty entry still has a valid pointer.
  uint8_t* block = new (std::nothrow) uint8_t[size == 0 ? 1 : size];
  if (block == nullptr) {
    return nullptr;
  }
  buffer.bytes.reset(block);
  buffer.capacity = size;
  return block;
}

}  // namespace

uint32_t WalkPackage(ByteView package, const PackageTable& table, EntryVisitor visit) {
  PlainBuffer buffer;
  uint64_t largest = 0;
  for (uint32_t index = 0; index < PACKAGE_ENTRY_COUNT; ++index) {
    const PackageEntry entry = ReadEntry(table, index);
    if (EntryInBounds(entry, package.size) && entry.size > largest) {
      largest = entry.size;
    }
  }
  ReservePlain(buffer, largest);

  KeyChain chain = StartChain();
  uint32_t failures = 0;
  for (uint32_t index = 0; index < PACKAGE_ENTRY_COUNT; ++index) {
    EntryOutcome outcome{};
    outcome.index = index;
    outcome.entry = ReadEntry(table, index);
    const PackageEntry& entry = outcome.entry;
    outcome.inBounds = EntryInBounds(entry, package.size);
    if (!outcome.inBounds) {
      // Takes no part in the chain: the next entry sees the same key and
      // running value.
      ++failures;
      if (visit.call != nullptr) {
        visit.call(visit.context, outcome);
      }
      continue;
    }

    const uint8_t* stored = package.data + entry.offset;
    uint8_t storedDigest[DIGEST_SIZE];
    platform::Md5Digest(stored, entry.size, storedDigest);

    uint8_t* plain = ReservePlain(buffer, entry.size);
    if (plain != nullptr) {
      ScrambleBytes(plain, stored, entry.size, chain.running, chain.key);
      uint8_t plainDigest[DIGEST_SIZE];
      if (platform::Md5Digest(plain, entry.size, plainDigest) == platform::ANSWER_YES &&
          BytesEqual(plainDigest, entry.digest, DIGEST_SIZE) == platform::ANSWER_YES) {
        outcome.verified = true;
      }
      outcome.plain = plain;
    }
    if (!outcome.verified) {
      ++failures;
    }
    if (visit.call != nullptr) {
      visit.call(visit.context, outcome);
    }
    // The chain moves on whatever became of the entry.
    AdvanceChain(chain, storedDigest);
  }
  return failures;
}

}  // namespace package

// The keyed byte stream that scrambles every entry, and the key chain that
// carries the key and running value from entry to entry in table order.
#pragma once

#include <cstdint>

#include "package/package_format.h"

namespace package {

inline constexpr uint32_t CHAIN_START_RUNNING = 0x3C91E2A7;

// Combines `length` bytes of `source` with the key stream into `destination`.
// The two may be the same block. The same call scrambles and unscrambles.
void ScrambleBytes(uint8_t* destination, const uint8_t* source, uint32_t length,
                   uint32_t running, const uint8_t key[DIGEST_SIZE]);
// In-place form.
void UnscrambleBuffer(uint32_t running, uint8_t* data, uint32_t length,
                      const uint8_t key[DIGEST_SIZE]);

// State of one walk over the entries.
struct KeyChain {
  uint8_t key[DIGEST_SIZE];
  uint32_t running;
};

// key = 16 zero bytes, running = CHAIN_START_RUNNING.
KeyChain StartChain();
// Moves the chain past one in-bounds entry whose stored (scrambled) data has
// digest `storedDigest`: key = storedDigest, running = (running^2 << 8) with
// the digest's first byte in the low 8 bits.
void AdvanceChain(KeyChain& chain, const uint8_t storedDigest[DIGEST_SIZE]);

}  // namespace package

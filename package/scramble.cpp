// The keyed byte stream and the key chain over the package entries.
#include "package/scramble.h"

#include "package/bytes.h"

namespace package {
namespace {

// q >> 8 as a signed 32-bit value (arithmetic shift): bits 24 to 31 of the
// result are copies of bit 31 of q. Since C++20 both steps are fully defined:
// the conversion to int32_t wraps modulo 2^32, and >> of a negative value
// rounds toward minus infinity, i.e. copies the sign bit. This spelling
// compiles to one shift instruction, which matters: the shift sits on the
// serial path from one byte's running value to the next.
inline uint32_t ShiftRight8Signed(uint32_t q) {
  return static_cast<uint32_t>(static_cast<int32_t>(q) >> 8);
}

}  // namespace

void ScrambleBytes(uint8_t* destination, const uint8_t* source, uint32_t length,
                   uint32_t running, const uint8_t key[DIGEST_SIZE]) {
  // A local copy of the key lets the compiler keep it out of the aliasing
  // analysis of destination (which may be any byte block, even the key's).
  uint8_t k[DIGEST_SIZE];
  CopyBytes(k, key, DIGEST_SIZE);
  uint32_t r = running;
  // The counter runs from length down to 1: the key byte and the square
  // depend on how far the position lies from the end of the block.
  for (uint32_t i = 0; i < length; ++i) {
    const uint32_t n = length - i;
    const uint32_t s = r + n;
    const uint32_t q = s * s;
    const uint32_t m = q + (q >> 8) + k[n & 15u];
    destination[i] = static_cast<uint8_t>(source[i] ^ m);
    r = ShiftRight8Signed(q);
  }
}

void UnscrambleBuffer(uint32_t running, uint8_t* data, uint32_t length,
                      const uint8_t key[DIGEST_SIZE]) {
  ScrambleBytes(data, data, length, running, key);
}

KeyChain StartChain() {
  KeyChain chain;
  ZeroBytes(chain.key, DIGEST_SIZE);
  chain.running = CHAIN_START_RUNNING;
  return chain;
}

void AdvanceChain(KeyChain& chain, const uint8_t storedDigest[DIGEST_SIZE]) {
  const uint32_t square = chain.running * chain.running;
  chain.running = (square << 8) | storedDigest[0];
  CopyBytes(chain.key, storedDigest, DIGEST_SIZE);
}

}  // namespace package

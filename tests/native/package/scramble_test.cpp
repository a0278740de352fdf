// The key stream and the key chain: exactness against an independent model
// and a hand-computed vector, and the properties the package relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "package/scramble.h"
#include "tests/native/package/test_support.h"

namespace {

using package::ScrambleBytes;
using package_test::PseudoRandomBytes;
using package_test::ReferenceStream;

const uint8_t kZeroKey[16] = {};
// MD5("abc"), as a key with no special pattern.
const uint8_t kAbcKey[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                             0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};

std::vector<uint8_t> Scrambled(const std::vector<uint8_t>& source, uint32_t running,
                               const uint8_t key[16]) {
  std::vector<uint8_t> out(source.size(), 0xEE);
  ScrambleBytes(out.data(), source.data(), static_cast<uint32_t>(source.size()), running, key);
  return out;
}

// Worked out by hand-written arithmetic outside this code base: 40 bytes of
// stream (zero source) for running 0x3C91E2A7 and the key MD5("abc").
TEST(ScrambleBytes, MatchesTheHandComputedVector) {
  const std::vector<uint8_t> expected = {
      0x5A, 0xE9, 0xA6, 0x79, 0xFA, 0xE1, 0x96, 0xA5, 0xB6, 0xB9, 0x77, 0x86, 0x2F, 0x8F,
      0xCA, 0x79, 0xFF, 0x86, 0xE4, 0x6A, 0xBC, 0x5F, 0x71, 0xBA, 0x37, 0xE3, 0xC6, 0x62,
      0x5A, 0x02, 0xDC, 0x3B, 0xB1, 0xBE, 0xF8, 0xE8, 0xFE, 0x66, 0x27, 0x20};
  EXPECT_EQ(Scrambled(std::vector<uint8_t>(40, 0), 0x3C91E2A7, kAbcKey), expected);

  const std::vector<uint8_t> zeroKeyExpected = {0x4D, 0x43, 0x31, 0x0D, 0x85, 0x3A, 0x90,
                                                0xBF, 0xF9, 0x69, 0x3F, 0x3D, 0xA3, 0xDF,
                                                0x3C, 0xC2, 0x5A, 0x74, 0xE0, 0xBB};
  EXPECT_EQ(Scrambled(std::vector<uint8_t>(20, 0), 0x3C91E2A7, kZeroKey), zeroKeyExpected);
}

TEST(ScrambleBytes, MatchesTheModelOverManyLengthsKeysAndRunningValues) {
  const uint32_t runnings[] = {0, 1, 0x3C91E2A7, 0x80000000, 0xFFFFFFFF, 0x9E3779B1};
  const uint32_t lengths[] = {1, 2, 15, 16, 17, 31, 32, 33, 255, 4099};
  for (uint32_t running : runnings) {
    for (uint32_t length : lengths) {
      const std::vector<uint8_t> source = PseudoRandomBytes(length, running ^ length);
      const std::vector<uint8_t> key = PseudoRandomBytes(16, length);
      EXPECT_EQ(Scrambled(source, running, key.data()),
                ReferenceStream(source, running, key.data()))
          << "running " << running << " length " << length;
    }
  }
}

TEST(ScrambleBytes, IsItsOwnInverseInPlaceAndOutOfPlace) {
  const std::vector<uint8_t> plain = PseudoRandomBytes(1000, 7);
  const std::vector<uint8_t> once = Scrambled(plain, 0xDEADBEEF, kAbcKey);
  EXPECT_NE(once, plain);
  EXPECT_EQ(Scrambled(once, 0xDEADBEEF, kAbcKey), plain);

  std::vector<uint8_t> inPlace = plain;
  package::UnscrambleBuffer(0xDEADBEEF, inPlace.data(), 1000, kAbcKey);
  EXPECT_EQ(inPlace, once);
  package::UnscrambleBuffer(0xDEADBEEF, inPlace.data(), 1000, kAbcKey);
  EXPECT_EQ(inPlace, plain);
}

TEST(ScrambleBytes, DependsOnTheLengthOfTheCall) {
  const std::vector<uint8_t> plain = PseudoRandomBytes(64, 3);
  const std::vector<uint8_t> whole = Scrambled(plain, 0x3C91E2A7, kAbcKey);
  std::vector<uint8_t> halves = plain;
  ScrambleBytes(halves.data(), halves.data(), 32, 0x3C91E2A7, kAbcKey);
  ScrambleBytes(halves.data() + 32, halves.data() + 32, 32, 0x3C91E2A7, kAbcKey);
  EXPECT_NE(halves, whole);
  // The same bytes as the start of a longer block get a different stream.
  const std::vector<uint8_t> first(plain.begin(), plain.begin() + 32);
  const std::vector<uint8_t> firstAlone = Scrambled(first, 0x3C91E2A7, kAbcKey);
  EXPECT_NE(firstAlone, std::vector<uint8_t>(whole.begin(), whole.begin() + 32));
}

TEST(ScrambleBytes, LengthZeroWritesNothing) {
  uint8_t destination[4] = {1, 2, 3, 4};
  const uint8_t source[4] = {9, 9, 9, 9};
  ScrambleBytes(destination, source, 0, 0x3C91E2A7, kAbcKey);
  EXPECT_EQ(std::memcmp(destination, "\x01\x02\x03\x04", 4), 0);
}

// The running value never depends on the key, so a change in one key byte
// moves m by exactly that much at the positions whose counter selects it.
TEST(ScrambleBytes, ChoosesTheKeyByteByTheCounter) {
  const uint32_t length = 40;
  const std::vector<uint8_t> zeros(length, 0);
  const std::vector<uint8_t> base = Scrambled(zeros, 0x12345678, kZeroKey);
  for (uint32_t keyIndex : {0u, 1u, 7u}) {
    uint8_t key[16] = {};
    key[keyIndex] = 0x40;
    const std::vector<uint8_t> keyed = Scrambled(zeros, 0x12345678, key);
    for (uint32_t i = 0; i < length; ++i) {
      const uint32_t counter = length - i;
      const uint8_t expected =
          counter % 16 == keyIndex ? static_cast<uint8_t>(base[i] + 0x40) : base[i];
      EXPECT_EQ(keyed[i], expected) << "key byte " << keyIndex << " position " << i;
    }
  }
  // The last byte of any block uses K[1].
  uint8_t key[16] = {};
  key[1] = 0x05;
  const std::vector<uint8_t> one(1, 0);
  EXPECT_EQ(Scrambled(one, 0x12345678, key)[0],
            static_cast<uint8_t>(Scrambled(one, 0x12345678, kZeroKey)[0] + 5));
}

TEST(ScrambleBytes, ZeroKeyGivesTheSumOfTheLowTwoBytesOfTheSquare) {
  const uint32_t running = 0x3C91E2A7;
  const uint32_t length = 3;
  const uint64_t s = (uint64_t{running} + length) & 0xFFFFFFFFu;
  const uint64_t q = (s * s) & 0xFFFFFFFFu;
  const uint8_t m = static_cast<uint8_t>((q & 0xFF) + ((q >> 8) & 0xFF));
  EXPECT_EQ(Scrambled(std::vector<uint8_t>(length, 0), running, kZeroKey)[0], m);
}

// For running 0x9E3779B1 and 8 bytes, the first square has bit 31 set; its
// shifted value must carry ones in the top 8 bits, and the stream from the
// fourth byte on tells the arithmetic shift from a logical one.
TEST(ScrambleBytes, ShiftsTheRunningValueArithmetically) {
  const uint32_t running = 0x9E3779B1;
  const uint32_t length = 8;
  const uint64_t s = (uint64_t{running} + length) & 0xFFFFFFFFu;
  const uint64_t q = (s * s) & 0xFFFFFFFFu;
  ASSERT_NE(q & 0x80000000u, 0u);
  const uint32_t modelNextRunning =
      static_cast<uint32_t>((static_cast<int64_t>(q) - 0x100000000ll - 255) / 256);
  EXPECT_EQ(modelNextRunning >> 24, 0xFFu);
  EXPECT_EQ(modelNextRunning & 0x00FFFFFFu, static_cast<uint32_t>(q >> 8));

  const std::vector<uint8_t> zeros(length, 0);
  const std::vector<uint8_t> arithmetic = ReferenceStream(zeros, running, kZeroKey);
  const std::vector<uint8_t> logical = ReferenceStream(zeros, running, kZeroKey, true);
  ASSERT_NE(arithmetic, logical);
  EXPECT_EQ(Scrambled(zeros, running, kZeroKey), arithmetic);
}

TEST(KeyChain, StartsWithZeroKeyAndTheFixedRunningValue) {
  const package::KeyChain chain = package::StartChain();
  EXPECT_EQ(std::memcmp(chain.key, kZeroKey, 16), 0);
  EXPECT_EQ(chain.running, 0x3C91E2A7u);
}

TEST(KeyChain, AdvancesWithTheSquareShiftedAndTheDigestsFirstByte) {
  package::KeyChain chain = package::StartChain();
  package::AdvanceChain(chain, kAbcKey);
  const uint64_t square = (uint64_t{0x3C91E2A7} * 0x3C91E2A7) & 0xFFFFFFFFu;
  const uint32_t expected = static_cast<uint32_t>(((square << 8) & 0xFFFFFFFFu) | 0x90);
  EXPECT_EQ(chain.running, expected);
  EXPECT_EQ(std::memcmp(chain.key, kAbcKey, 16), 0);
}

}  // namespace

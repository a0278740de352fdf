// MD5 against the test suite of RFC 1321, appendix A.5.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/digest.h"

namespace {

std::string Hex(const uint8_t* digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint32_t i = 0; i < platform::MD5_DIGEST_SIZE; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

std::string DigestOf(const std::string& message) {
  uint8_t digest[platform::MD5_DIGEST_SIZE];
  EXPECT_EQ(platform::Md5Digest(message.data(), static_cast<uint32_t>(message.size()), digest), 1);
  return Hex(digest);
}

TEST(Md5Digest, MatchesTheRfc1321TestSuite) {
  EXPECT_EQ(DigestOf(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(DigestOf("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(DigestOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(DigestOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(DigestOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(DigestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(DigestOf("1234567890123456789012345678901234567890"
                     "1234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Digest, EmptyMessageNeedsNoData) {
  uint8_t digest[platform::MD5_DIGEST_SIZE];
  std::memset(digest, 0xCC, sizeof digest);
  ASSERT_EQ(platform::Md5Digest(nullptr, 0, digest), 1);
  EXPECT_EQ(Hex(digest), "d41d8cd98f00b204e9800998ecf8427e");
}

}  // namespace

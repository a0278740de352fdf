// Texts in fixed-size buffers: refuse, never cut.
#include <gtest/gtest.h>

#include <cstring>

#include "app/bounded_text.h"

namespace {

TEST(BoundedTextTest, JoinAddsOneBackslashOnlyWhenMissing) {
  char buffer[64];
  ASSERT_TRUE(app::JoinPath(buffer, sizeof buffer, "C:\\A", "b.exe"));
  EXPECT_STREQ(buffer, "C:\\A\\b.exe");
  ASSERT_TRUE(app::JoinPath(buffer, sizeof buffer, "C:\\", "b.exe"));
  EXPECT_STREQ(buffer, "C:\\b.exe");
  ASSERT_TRUE(app::JoinPath(buffer, sizeof buffer, "", "b.exe"));
  EXPECT_STREQ(buffer, "\\b.exe");
}

TEST(BoundedTextTest, TextsThatDoNotFitAreRefusedAndLeaveTheBufferAlone) {
  char buffer[8] = "keep";
  // "C:\ab" + "\" + "c" is 7 characters: fits with its zero.
  EXPECT_TRUE(app::JoinPath(buffer, sizeof buffer, "C:\\ab", "c"));
  EXPECT_STREQ(buffer, "C:\\ab\\c");
  std::strcpy(buffer, "keep");
  EXPECT_FALSE(app::JoinPath(buffer, sizeof buffer, "C:\\ab", "cd"));
  EXPECT_STREQ(buffer, "keep");

  EXPECT_TRUE(app::CopyText(buffer, sizeof buffer, "1234567"));
  EXPECT_FALSE(app::CopyText(buffer, sizeof buffer, "12345678"));
  EXPECT_STREQ(buffer, "1234567");

  std::strcpy(buffer, "abc");
  EXPECT_TRUE(app::AppendText(buffer, sizeof buffer, "defg"));
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_FALSE(app::AppendText(buffer, sizeof buffer, "h"));
  EXPECT_STREQ(buffer, "abcdefg");
}

}  // namespace

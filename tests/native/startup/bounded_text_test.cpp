// Texts in fixed-size buffers: refuse, never cut.
#include <gtest/gtest.h>

#include <cstring>

#include "app/bounded_text.h"

namespace {

TEST(BoundedTextTest, JoinAddsOneBackslashOnlyWhenMissing) {
  char buffer[64];
  ASSERT_EQ(app::JoinPath(buffer, sizeof buffer, "C:\\A", "b.exe"), 1);
  EXPECT_STREQ(buffer, "C:\\A\\b.exe");
  ASSERT_EQ(app::JoinPath(buffer, sizeof buffer, "C:\\", "b.exe"), 1);
  EXPECT_STREQ(buffer, "C:\\b.exe");
  ASSERT_EQ(app::JoinPath(buffer, sizeof buffer, "", "b.exe"), 1);
  EXPECT_STREQ(buffer, "\\b.exe");
}

TEST(BoundedTextTest, TextsThatDoNotFitAreRefusedAndLeaveTheBufferAlone) {
  char buffer[8] = "keep";
  // "C:\ab" + "\" + "c" is 7 characters: fits with its zero.
  EXPECT_EQ(app::JoinPath(buffer, sizeof buffer, "C:\\ab", "c"), 1);
  EXPECT_STREQ(buffer, "C:\\ab\\c");
  std::strcpy(buffer, "keep");
  EXPECT_EQ(app::JoinPath(buffer, sizeof buffer, "C:\\ab", "cd"), 0);
  EXPECT_STREQ(buffer, "keep");

  EXPECT_EQ(app::CopyText(buffer, sizeof buffer, "1234567"), 1);
  EXPECT_EQ(app::CopyText(buffer, sizeof buffer, "12345678"), 0);
  EXPECT_STREQ(buffer, "1234567");

  std::strcpy(buffer, "abc");
  EXPECT_EQ(app::AppendText(buffer, sizeof buffer, "defg"), 1);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(app::AppendText(buffer, sizeof buffer, "h"), 0);
  EXPECT_STREQ(buffer, "abcdefg");
}

}  // namespace

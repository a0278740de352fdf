// The bounded text work of the procedures: refuse, never cut.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "setup/procedure_steps.h"
#include "setup/setup_texts.h"

namespace {

TEST(ProcedureTextTest, JoinAddsOneBackslashOnlyWhenMissing) {
  char buffer[64];
  ASSERT_EQ(setup::JoinPath(buffer, sizeof buffer, "C:\\A", "b.exe"), 1);
  EXPECT_STREQ(buffer, "C:\\A\\b.exe");
  ASSERT_EQ(setup::JoinPath(buffer, sizeof buffer, "C:\\", "b.exe"), 1);
  EXPECT_STREQ(buffer, "C:\\b.exe");
  ASSERT_EQ(setup::JoinPath(buffer, sizeof buffer, "", "b.exe"), 1);
  EXPECT_STREQ(buffer, "\\b.exe");
}

TEST(ProcedureTextTest, TextsThatDoNotFitAreRefusedAndLeaveTheBufferAlone) {
  char buffer[8] = "keep";
  // "C:\ab" + "\" + "c" is 7 characters: fits with its zero.
  EXPECT_EQ(setup::JoinPath(buffer, sizeof buffer, "C:\\ab", "c"), 1);
  EXPECT_STREQ(buffer, "C:\\ab\\c");
  std::strcpy(buffer, "keep");
  EXPECT_EQ(setup::JoinPath(buffer, sizeof buffer, "C:\\ab", "cd"), 0);
  EXPECT_STREQ(buffer, "keep");

  EXPECT_EQ(setup::CopyText(buffer, sizeof buffer, "1234567"), 1);
  EXPECT_EQ(setup::CopyText(buffer, sizeof buffer, "12345678"), 0);
  EXPECT_STREQ(buffer, "1234567");

  std::strcpy(buffer, "abc");
  EXPECT_EQ(setup::AppendText(buffer, sizeof buffer, "defg"), 1);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(setup::AppendText(buffer, sizeof buffer, "h"), 0);
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(ProcedureTextTest, MenuFolderMustFitItsArea) {
  char menu[setup::MENU_FOLDER_SIZE];
  const size_t longest = setup::MENU_FOLDER_SIZE - 1 - std::strlen("\\Kelvane\\Brevik");
  EXPECT_EQ(setup::BuildMenuFolder(std::string(longest, 'x').c_str(), menu), 1);
  EXPECT_EQ(std::strlen(menu), setup::MENU_FOLDER_SIZE - 1);
  EXPECT_EQ(setup::BuildMenuFolder(std::string(longest + 1, 'x').c_str(), menu), 0);
  // A folder ending in a backslash gets none added, so it may be one longer.
  EXPECT_EQ(setup::BuildMenuFolder((std::string(longest, 'x') + "\\").c_str(), menu), 1);
}

}  // namespace

// The bounded text work of the procedures: refuse, never cut.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "setup/procedure_steps.h"
#include "setup/setup_texts.h"

namespace {

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

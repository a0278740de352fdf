// The procedures on a machine where no all-users Programs folder could be
// resolved at start-up (a separate test program: that folder is resolved
// once per process).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"
#include "procedure_fixture.h"
#include "setup/install.h"
#include "setup/uninstall.h"

namespace procedures_test {
namespace {

namespace fake = platform::fake;

class NoCommonMenuTest : public ProcedureTest {
 protected:
  std::string CommonPrograms() const override { return std::string(); }
};

TEST_F(NoCommonMenuTest, InstallMakesOnlyThePerUserShortcuts) {
  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_EQ(ShortcutSaves(), (std::vector<std::string>{kUserPrograms + "\\Kelvane\\Brevik\\Readme.LNK",
                                                       kUserPrograms + "\\Kelvane\\Brevik\\Brevik.LNK"}));
}

TEST_F(NoCommonMenuTest, InstallWithNeitherMenuMakesNoShortcutsAndStillSucceeds) {
  fake::ResetRegistry();

  EXPECT_EQ(setup::RunInstall(state), 0);
  EXPECT_TRUE(ShortcutSaves().empty());
  EXPECT_TRUE(fake::RegistryKeyExists(kEntryKey));
}

TEST_F(NoCommonMenuTest, UninstallCleansOnlyThePerUserMenu) {
  SeedInstalledMachine();
  fake::AddFile(kCommonPrograms + "\\Kelvane\\Brevik\\Readme.LNK", "link");

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_FALSE(fake::FolderExists(kUserPrograms + "\\Kelvane\\Brevik"));
  EXPECT_TRUE(fake::FileExists(kCommonPrograms + "\\Kelvane\\Brevik\\Readme.LNK"));
}

TEST_F(NoCommonMenuTest, UninstallWithNeitherMenuTouchesNoMenuFolder) {
  SeedInstalledMachine();
  fake::ResetRegistry();

  EXPECT_EQ(setup::RunUninstall(state), 0);
  EXPECT_TRUE(fake::FileExists(kUserPrograms + "\\Kelvane\\Brevik\\Brevik.LNK"));
  EXPECT_FALSE(fake::FolderExists(kTarget));
}

}  // namespace
}  // namespace procedures_test

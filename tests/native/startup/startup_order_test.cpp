// The order of start-up's first steps, in a process of its own: the special
// folders are resolved once per process, so only a first ApplicationMain
// shows when that happens.
#include <string>
#include <vector>

#include "app/application_main.h"
#include "tests/native/window/window_fixture.h"

namespace window_test {
namespace {

int FirstCall(const std::string& operation) {
  const std::vector<std::string>& calls = fake::Calls();
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].rfind(operation, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

class StartupOrderTest : public WindowFixture {};

TEST_F(StartupOrderTest, LockThenStaleWindowsThenFoldersThenStateThenComThenWindow) {
  int foldersAtStaleWindows = -2;
  int foldersAtCom = -2;
  int wow64AtCom = -2;
  platform::ModuleHandle instanceAtCom = nullptr;
  fake::SetCallObserver([&](const std::string& line) {
    if (line == "EnumerateTopLevelWindows") foldersAtStaleWindows = FirstCall("QuerySpecialFolder");
    if (line == "InitializeThreadCom") {
      foldersAtCom = FirstCall("QuerySpecialFolder");
      wow64AtCom = FirstCall("QueryWow64");
      instanceAtCom = app::appState.instance;
    }
  });
  platform::ModuleHandle instance = reinterpret_cast<platform::ModuleHandle>(0x400000);
  EXPECT_EQ(app::ApplicationMain(instance, "-h -u"), 0);

  EXPECT_EQ(IndexOf("CreateOwnedMutex Kelvane"), 0);
  EXPECT_EQ(IndexOf("CreateOwnedMutex Global\\"), 1);
  EXPECT_EQ(IndexOf("EnumerateTopLevelWindows"), 2);
  EXPECT_EQ(foldersAtStaleWindows, -1);
  EXPECT_GE(foldersAtCom, 0);
  EXPECT_GT(wow64AtCom, foldersAtCom);  // the state is filled after the folders
  EXPECT_EQ(instanceAtCom, instance);
  EXPECT_GT(IndexOf("RegisterWindowClass"), IndexOf("InitializeThreadCom"));
}

}  // namespace
}  // namespace window_test

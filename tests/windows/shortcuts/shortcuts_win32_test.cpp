// Programs-menu shortcuts against the system's shell link object: the file
// written is read back through the shell's own interfaces; a thread without
// COM gets the failing code and writes nothing; deleting by name.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

#include <string>
#include <thread>

#include "setup/shortcuts.h"
#include "tests/windows/shell_link_reader.h"

namespace {

using wintest::LinkSettings;
using wintest::ReadLink;

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  CloseHandle(file);
}

class ShortcutsWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    root_ = std::string(temp) + "KvTest-Shortcuts-" + std::to_string(GetCurrentProcessId());
    dir_ = root_ + "\\Dir";
    menu_ = root_ + "\\Menu";
    target_ = dir_ + "\\App.exe";
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(menu_.c_str(), nullptr));
    MakeFile(target_);
  }
  void TearDown() override {
    for (const char* name : {"\\Brevik.LNK", "\\Readme.LNK"}) DeleteFileA((menu_ + name).c_str());
    DeleteFileA(target_.c_str());
    RemoveDirectoryA(menu_.c_str());
    RemoveDirectoryA(dir_.c_str());
    RemoveDirectoryA(root_.c_str());
    CoUninitialize();
  }

  std::string root_, dir_, menu_, target_;
};

TEST_F(ShortcutsWin32Test, WrittenShortcutReadsBackWithItsFourSettings) {
  ASSERT_EQ(setup::CreateShortcut(target_.c_str(), menu_.c_str(), "Brevik", "-x \"y\""),
            platform::COM_S_OK);
  const std::string file = menu_ + "\\Brevik.LNK";
  ASSERT_TRUE(FileExists(file));
  LinkSettings settings = ReadLink(file);
  ASSERT_EQ(settings.loaded, S_OK);
  EXPECT_EQ(lstrcmpiA(settings.path.c_str(), target_.c_str()), 0) << settings.path;
  EXPECT_EQ(settings.description, "Brevik");
  EXPECT_EQ(settings.arguments, "-x \"y\"");
  EXPECT_EQ(lstrcmpiA(settings.workingDirectory.c_str(), dir_.c_str()), 0)
      << settings.workingDirectory;
}

TEST_F(ShortcutsWin32Test, TrailingBackslashAndNoArgumentsReplaceTheSameFile) {
  ASSERT_EQ(setup::CreateShortcut(target_.c_str(), menu_.c_str(), "Readme", "-old"),
            platform::COM_S_OK);
  const std::string readme = dir_ + "\\readme.txt";
  MakeFile(readme);
  ASSERT_EQ(setup::CreateShortcut(readme.c_str(), (menu_ + "\\").c_str(), "Readme", nullptr),
            platform::COM_S_OK);
  LinkSettings settings = ReadLink(menu_ + "\\Readme.LNK");
  DeleteFileA(readme.c_str());
  ASSERT_EQ(settings.loaded, S_OK);
  EXPECT_EQ(lstrcmpiA(settings.path.c_str(), readme.c_str()), 0) << settings.path;
  EXPECT_EQ(settings.arguments, "");
}

TEST_F(ShortcutsWin32Test, ThreadWithoutComGetsTheFailingCodeAndWritesNothing) {
  platform::ComResult result = platform::COM_S_OK;
  std::thread worker([&] {
    result = setup::CreateShortcut(target_.c_str(), menu_.c_str(), "Brevik", nullptr);
  });
  worker.join();
  EXPECT_EQ(result, platform::COM_CO_E_NOTINITIALIZED);
  EXPECT_FALSE(FileExists(menu_ + "\\Brevik.LNK"));
}

TEST_F(ShortcutsWin32Test, DeleteRemovesTheShortcutFileByName) {
  ASSERT_EQ(setup::CreateShortcut(target_.c_str(), menu_.c_str(), "Brevik", nullptr),
            platform::COM_S_OK);
  EXPECT_NE(setup::DeleteShortcut((menu_ + "\\").c_str(), "Brevik"), 0);
  EXPECT_FALSE(FileExists(menu_ + "\\Brevik.LNK"));
  EXPECT_TRUE(FileExists(target_));
  EXPECT_EQ(setup::DeleteShortcut(menu_.c_str(), "Brevik"), 0);
}

}  // namespace

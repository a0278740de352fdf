// Registry helpers against the system's registry: what lands where in the
// two views a 32-bit program can see, the type and size rules of reading,
// and a tree removed depth first. Every key is a throwaway one, deleted after.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "setup/registry.h"

namespace {

// The system's view flags, here only to look past the program's own view.
constexpr REGSAM VIEW_32 = KEY_WOW64_32KEY;
constexpr REGSAM VIEW_64 = KEY_WOW64_64KEY;

bool IsWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

struct RawValue {
  LONG result = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  std::string data;
};

// Reads a value in the view `view` (0 for the program's own) with the
// system's calls, independently of the helpers under test.
RawValue ReadRaw(HKEY root, const std::string& subKey, const char* name, REGSAM view) {
  RawValue value;
  HKEY key = nullptr;
  value.result = RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE | view, &key);
  if (value.result != ERROR_SUCCESS) return value;
  std::vector<char> area(16384);
  DWORD size = static_cast<DWORD>(area.size());
  value.result = RegQueryValueExA(key, name, nullptr, &value.type,
                                  reinterpret_cast<BYTE*>(area.data()), &size);
  RegCloseKey(key);
  if (value.result == ERROR_SUCCESS) value.data.assign(area.data(), size);
  return value;
}

bool KeyExists(HKEY root, const std::string& subKey, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void WriteRaw(HKEY root, const std::string& subKey, const char* name, DWORD type,
              const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(root, subKey.c_str(), &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// Makes `subKey` of `root` a registry link to the native path `target`.
void MakeLink(HKEY root, const std::string& subKey, const std::wstring& target) {
  const std::wstring wide(subKey.begin(), subKey.end());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, wide.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                            KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                           static_cast<DWORD>(target.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class RegistryWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "KvTest-Registry-" + std::to_string(GetCurrentProcessId());
    machine_ = "SOFTWARE\\" + base_;
    user_ = "Software\\" + base_;
    TearDown();
  }
  void TearDown() override {
    for (REGSAM view : {VIEW_32, VIEW_64}) {
      RegDeleteTreeA(Open(HKEY_LOCAL_MACHINE, "SOFTWARE", view), base_.c_str());
      RegDeleteTreeA(Open(HKEY_CURRENT_USER, "Software", view), base_.c_str());
    }
    for (HKEY key : opened_) RegCloseKey(key);
    opened_.clear();
  }
  HKEY Open(HKEY root, const char* subKey, REGSAM view) {
    HKEY key = nullptr;
    RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS | view, &key);
    if (key != nullptr) opened_.push_back(key);
    return key;
  }

  std::string base_;
  std::string machine_;
  std::string user_;
  std::vector<HKEY> opened_;
};

TEST_F(RegistryWin32Test, MachineStringLandsInTheProgramsOwnViewWithItsTerminator) {
  const std::string key = machine_ + "\\Uninstall\\KV:Brevik {17359A74-1236-5467}";
  ASSERT_EQ(setup::WriteMachineString(key.c_str(), "DisplayName", "Brevik and Mireline"), 1);

  RawValue own = ReadRaw(HKEY_LOCAL_MACHINE, key, "DisplayName", 0);
  ASSERT_EQ(own.result, ERROR_SUCCESS);
  EXPECT_EQ(own.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(own.data, std::string("Brevik and Mireline\0", 20));

  // A 32-bit program's machine-wide software keys are the 32-bit view; on a
  // 64-bit host the 64-bit view does not see them. (The 64-bit test build's
  // are the 64-bit view.)
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, key, "DisplayName", sizeof(void*) == 4 ? VIEW_32 : VIEW_64).data, own.data);
  EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, machine_, VIEW_64), !IsWow64());

  // Replacing, and the empty text as one zero byte.
  ASSERT_EQ(setup::WriteMachineString(key.c_str(), "DisplayName", ""), 1);
  RawValue empty = ReadRaw(HKEY_LOCAL_MACHINE, key, "DisplayName", 0);
  ASSERT_EQ(empty.result, ERROR_SUCCESS);
  EXPECT_EQ(empty.data, std::string(1, '\0'));
}

TEST_F(RegistryWin32Test, UserStringIsReadFromEitherViewsWriter) {
  // Per-user software keys are shared between the views: a value written
  // through the 64-bit view is the one the program reads.
  HKEY software64 = Open(HKEY_CURRENT_USER, "Software", VIEW_64);
  ASSERT_NE(software64, nullptr);
  WriteRaw(software64, base_ + "\\Shell Folders", "Programs", REG_SZ,
           std::string("C:\\Menu\\Programs\0", 17));
  char out[1024];
  ASSERT_EQ(setup::ReadUserString((user_ + "\\Shell Folders").c_str(), "Programs", out, sizeof out),
            1);
  EXPECT_STREQ(out, "C:\\Menu\\Programs");
}

TEST_F(RegistryWin32Test, UserStringTypeAndSizeRules) {
  const std::string key = user_ + "\\Shell Folders";
  char out[1024];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(setup::ReadUserString(key.c_str(), "Programs", out, sizeof out), 0);  // no key

  WriteRaw(HKEY_CURRENT_USER, key, "Expand", REG_EXPAND_SZ, std::string("C:\\X\0", 5));
  WriteRaw(HKEY_CURRENT_USER, key, "Binary", REG_BINARY, std::string("C:\\X\0", 5));
  EXPECT_EQ(setup::ReadUserString(key.c_str(), "Programs", out, sizeof out), 0);  // no value
  EXPECT_EQ(setup::ReadUserString(key.c_str(), "Expand", out, sizeof out), 0);
  EXPECT_EQ(setup::ReadUserString(key.c_str(), "Binary", out, sizeof out), 0);
  EXPECT_EQ(out[0], '#');

  // Stored without a terminator: still read back as terminated text.
  WriteRaw(HKEY_CURRENT_USER, key, "Bare", REG_SZ, "C:\\Bare");
  ASSERT_EQ(setup::ReadUserString(key.c_str(), "Bare", out, sizeof out), 1);
  EXPECT_STREQ(out, "C:\\Bare");

  // Larger than the private area: refused, as the system reports more data.
  WriteRaw(HKEY_CURRENT_USER, key, "Huge", REG_SZ, std::string(5000, 'h') + '\0');
  std::vector<char> wide(8192, '#');
  EXPECT_EQ(setup::ReadUserString(key.c_str(), "Huge", wide.data(), wide.size()), 0);
  EXPECT_EQ(wide[0], '#');

  // Fits the private area but not the caller's: refused too.
  WriteRaw(HKEY_CURRENT_USER, key, "Long", REG_SZ, std::string(2000, 'l') + '\0');
  EXPECT_EQ(setup::ReadUserString(key.c_str(), "Long", out, sizeof out), 0);
  ASSERT_EQ(setup::ReadUserString(key.c_str(), "Long", wide.data(), wide.size()), 1);
  EXPECT_EQ(std::string(wide.data()), std::string(2000, 'l'));
}

TEST_F(RegistryWin32Test, KeyTreeThreeDeepIsDeletedUnderEitherRoot) {
  struct Root {
    HKEY key;
    platform::RegistryKeyId id;
    std::string path;
  };
  for (const Root& root : {Root{HKEY_CURRENT_USER, platform::REGISTRY_HKCU, user_},
                           Root{HKEY_LOCAL_MACHINE, platform::REGISTRY_HKLM, machine_}}) {
    const std::string tree = root.path + "\\Kelvane\\Brevik";
    WriteRaw(root.key, tree + "\\a\\b\\c", "v", REG_SZ, std::string("1\0", 2));
    WriteRaw(root.key, tree + "\\a\\b2", "v", REG_SZ, std::string("2\0", 2));
    WriteRaw(root.key, tree + "\\d", "v", REG_SZ, std::string("3\0", 2));
    WriteRaw(root.key, tree, "v", REG_SZ, std::string("4\0", 2));

    EXPECT_EQ(setup::DeleteKeyTree(root.id, tree.c_str()), 1) << root.path;
    EXPECT_FALSE(KeyExists(root.key, tree, 0)) << root.path;
    EXPECT_TRUE(KeyExists(root.key, root.path + "\\Kelvane", 0)) << root.path;

    EXPECT_EQ(setup::DeleteKeyTree(root.id, tree.c_str()), 0) << root.path;
  }
}

TEST_F(RegistryWin32Test, LinksInATreeGoAsLinksAndTheirTargetsStay) {
  // The victim: a machine key with a sub-key and values, in the native view
  // that the links' native path names.
  const std::string victim = machine_ + "\\Victim";
  const std::wstring target = L"\\Registry\\Machine\\" + std::wstring(victim.begin(), victim.end());
  auto plant = [&] {
    for (const std::string& key : {victim, victim + "\\Brevik\\Deep"}) {
      HKEY opened = nullptr;
      ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | VIEW_64, nullptr,
                                &opened, nullptr),
                ERROR_SUCCESS);
      RegSetValueExA(opened, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
      RegCloseKey(opened);
    }
  };
  auto victimWhole = [&] {
    return ReadRaw(HKEY_LOCAL_MACHINE, victim, "v", VIEW_64).result == ERROR_SUCCESS &&
           ReadRaw(HKEY_LOCAL_MACHINE, victim + "\\Brevik\\Deep", "v", VIEW_64).result == ERROR_SUCCESS;
  };
  const std::string tree = user_ + "\\Kelvane\\Brevik";

  // The key itself a link: the link goes, the target stays.
  plant();
  MakeLink(HKEY_CURRENT_USER, tree, target);
  ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, tree + "\\Brevik\\Deep", 0)) << "the link does not lead to the victim";
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, tree.c_str()), 1);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, tree, 0));
  EXPECT_TRUE(victimWhole());

  // A link two levels down, beside ordinary keys: the same.
  WriteRaw(HKEY_CURRENT_USER, tree + "\\a", "v", REG_SZ, std::string("1\0", 2));
  WriteRaw(HKEY_CURRENT_USER, tree + "\\z", "v", REG_SZ, std::string("1\0", 2));
  MakeLink(HKEY_CURRENT_USER, tree + "\\a\\b", target);
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, tree.c_str()), 1);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, tree, 0));
  EXPECT_TRUE(victimWhole());

  // The parent a link to a key that has a "Brevik" of its own: nothing goes.
  RegDeleteTreeA(Open(HKEY_CURRENT_USER, "Software", 0), base_.c_str());
  MakeLink(HKEY_CURRENT_USER, user_ + "\\Kelvane", target);
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, tree.c_str()), 0);
  EXPECT_TRUE(victimWhole());

  // The link left goes as a link before the tree delete of TearDown, which
  // would follow it (into the test's own victim only).
  HKEY link = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, (user_ + "\\Kelvane").c_str(), REG_OPTION_OPEN_LINK, DELETE, &link) ==
      ERROR_SUCCESS) {
    using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
    auto deleteKey = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    if (deleteKey != nullptr) deleteKey(link);
    RegCloseKey(link);
  }
}

}  // namespace

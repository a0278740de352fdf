// Registry helpers against the in-memory registry: the type and size rules of
// ReadUserString, how WriteMachineString stores, and the order and stopping
// rules of DeleteKeyTree.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"
#include "setup/registry.h"

namespace {

namespace fake = platform::fake;
using Log = std::vector<std::string>;

constexpr char FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string FOLDERS_PATH = std::string("HKCU\\") + FOLDERS_KEY;
constexpr char UNINSTALL_KEY[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KV:Brevik {17359A74-1236-5467}";
const std::string UNINSTALL_PATH = std::string("HKLM\\") + UNINSTALL_KEY;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class RegistryHelpersTest : public ::testing::Test {
 protected:
  // Every path through the helpers closes what it opened.
  void TearDown() override {
    EXPECT_EQ(fake::OpenRegistryKeyCount(), 0u);
    EXPECT_EQ(fake::BadRegistryCloseCount(), 0u);
  }
};

// --- ReadUserString ----------------------------------------------------------

class ReadUserStringTest : public RegistryHelpersTest {
 protected:
  // The caller's area, pre-filled so that untouched bytes can be told apart.
  std::vector<char> Area(size_t size) { return std::vector<char>(size, '#'); }
  int Read(std::vector<char>& out) {
    return setup::ReadUserString(FOLDERS_KEY, "Programs", out.data(), out.size());
  }
  static bool Untouched(const std::vector<char>& out) {
    for (char c : out) {
      if (c != '#') return false;
    }
    return true;
  }
};

TEST_F(ReadUserStringTest, MissingKeyOrValueYieldsZeroAndLeavesTheAreaAlone) {
  std::vector<char> out = Area(1024);
  EXPECT_EQ(Read(out), 0);
  EXPECT_TRUE(Untouched(out));

  fake::PutRegistryText(FOLDERS_PATH, "Desktop", "C:\\Users\\u\\Desktop", true);
  EXPECT_EQ(Read(out), 0);
  EXPECT_TRUE(Untouched(out));
}

TEST_F(ReadUserStringTest, OnlyPlainStringValuesAreAccepted) {
  const std::vector<uint8_t> text = Bytes(std::string("C:\\Menu\0", 8));
  for (uint32_t type : {platform::REGISTRY_TYPE_EXPAND_SZ, platform::REGISTRY_TYPE_BINARY}) {
    fake::PutRegistryValue(FOLDERS_PATH, "Programs", type, text);
    std::vector<char> out = Area(1024);
    EXPECT_EQ(Read(out), 0) << "type " << type;
    EXPECT_TRUE(Untouched(out)) << "type " << type;
  }
  fake::PutRegistryValue(FOLDERS_PATH, "Programs", platform::REGISTRY_TYPE_SZ, text);
  std::vector<char> out = Area(1024);
  EXPECT_EQ(Read(out), 1);
  EXPECT_STREQ(out.data(), "C:\\Menu");
}

TEST_F(ReadUserStringTest, OpensQueriesAndClosesTheUserKey) {
  fake::PutRegistryText(FOLDERS_PATH, "Programs", "C:\\Menu", true);
  std::vector<char> out = Area(64);
  ASSERT_EQ(Read(out), 1);
  EXPECT_EQ(fake::RegistryLog(), (Log{"OpenRegistryKey " + FOLDERS_PATH,
                                      "QueryRegistryValue " + FOLDERS_PATH + " [Programs]",
                                      "QueryRegistryTextExact " + FOLDERS_PATH + " [Programs]",
                                      "CloseRegistryKey " + FOLDERS_PATH}));
}

TEST_F(ReadUserStringTest, TextMustFitTheAreaWithItsTerminator) {
  // Stored with and without a terminator: the copy is terminated either way,
  // and one byte short of room is a refusal, not a cut.
  for (bool withTerminator : {true, false}) {
    fake::PutRegistryText(FOLDERS_PATH, "Programs", "C:\\Menu", withTerminator);
    std::vector<char> exact = Area(8);
    EXPECT_EQ(Read(exact), 1) << withTerminator;
    EXPECT_EQ(std::string(exact.data(), 8), std::string("C:\\Menu\0", 8)) << withTerminator;

    std::vector<char> short1 = Area(7);
    EXPECT_EQ(Read(short1), 0) << withTerminator;
    EXPECT_TRUE(Untouched(short1)) << withTerminator;
  }
}

TEST_F(ReadUserStringTest, EmptyValueGivesEmptyText) {
  fake::PutRegistryValue(FOLDERS_PATH, "Programs", platform::REGISTRY_TYPE_SZ, {});
  std::vector<char> out = Area(4);
  EXPECT_EQ(Read(out), 1);
  EXPECT_EQ(out[0], '\0');
}

TEST_F(ReadUserStringTest, BytesAfterTheTextAreZeroedWithinTheTakenPartOnly) {
  // "short", its terminator, then stray bytes: the taken part (all 12 bytes)
  // is zeroed after the text, the rest of the area is left as it was.
  fake::PutRegistryValue(FOLDERS_PATH, "Programs", platform::REGISTRY_TYPE_SZ,
                         Bytes(std::string("short\0stray!", 12)));
  std::vector<char> out = Area(32);
  ASSERT_EQ(Read(out), 1);
  EXPECT_EQ(std::string(out.data(), 12), std::string(12 - 5, '\0').insert(0, "short"));
  EXPECT_EQ(out[12], '#');
}

TEST_F(ReadUserStringTest, ValueSizeLimits) {
  // Exactly 4096 bytes is read; only its first 4050 are taken.
  fake::PutRegistryValue(FOLDERS_PATH, "Programs", platform::REGISTRY_TYPE_SZ,
                         std::vector<uint8_t>(4096, 'a'));
  std::vector<char> big = Area(8192);
  ASSERT_EQ(Read(big), 1);
  EXPECT_EQ(std::strlen(big.data()), 4050u);
  EXPECT_EQ(big[4051], '#');

  // The procedures' 1024-byte area cannot hold it: refused.
  std::vector<char> folder = Area(1024);
  EXPECT_EQ(Read(folder), 0);
  EXPECT_TRUE(Untouched(folder));

  // One byte more than the private area: refused whatever the caller offers.
  fake::PutRegistryValue(FOLDERS_PATH, "Programs", platform::REGISTRY_TYPE_SZ,
                         std::vector<uint8_t>(4097, 'a'));
  std::vector<char> again = Area(8192);
  EXPECT_EQ(Read(again), 0);
  EXPECT_TRUE(Untouched(again));
}

TEST_F(ReadUserStringTest, TextWithoutAnExactAnsiFormIsRefusedAndToldApart) {
  // "C:\Users\Łukasz\Menu" read through the ANSI call best-fits to the
  // other user's "C:\Users\Lukasz\Menu".
  fake::PutRegistryInexactText(FOLDERS_PATH, "Programs", "C:\\Users\\Lukasz\\Menu");
  std::vector<char> out = Area(64);
  EXPECT_EQ(Read(out), 0);
  EXPECT_EQ(setup::ReadUserText(FOLDERS_KEY, "Programs", out.data(), out.size()), setup::USER_TEXT_INEXACT);
  EXPECT_TRUE(Untouched(out));
  EXPECT_EQ(setup::ReadUserText(FOLDERS_KEY, "Missing", out.data(), out.size()), setup::USER_TEXT_MISSING);
}

TEST_F(ReadUserStringTest, FailedQueryYieldsZero) {
  fake::PutRegistryText(FOLDERS_PATH, "Programs", "C:\\Menu", true);
  fake::FailRegistry(fake::RegistryOp::Query, FOLDERS_PATH, platform::REGISTRY_ACCESS_DENIED);
  std::vector<char> out = Area(64);
  EXPECT_EQ(Read(out), 0);
  EXPECT_TRUE(Untouched(out));
}

// --- WriteMachineString ------------------------------------------------------

using WriteMachineStringTest = RegistryHelpersTest;

TEST_F(WriteMachineStringTest, CreatesTheMissingKeyAfterTryingToOpenIt) {
  EXPECT_EQ(setup::WriteMachineString(UNINSTALL_KEY, "DisplayName", "Brevik and Mireline"), 1);
  auto value = fake::GetRegistryValue(UNINSTALL_PATH, "DisplayName");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, platform::REGISTRY_TYPE_SZ);
  EXPECT_EQ(value->data, Bytes(std::string("Brevik and Mireline\0", 20)));
  EXPECT_EQ(fake::RegistryLog(),
            (Log{"OpenRegistryKey " + UNINSTALL_PATH, "CreateRegistryKey " + UNINSTALL_PATH,
                 "SetRegistryString " + UNINSTALL_PATH + " [DisplayName] 20",
                 "CloseRegistryKey " + UNINSTALL_PATH}));
  // Machine-wide only.
  EXPECT_FALSE(fake::RegistryKeyExists(std::string("HKCU\\") + UNINSTALL_KEY));
}

TEST_F(WriteMachineStringTest, ReplacesAValueOfAnExistingKey) {
  fake::PutRegistryText(UNINSTALL_PATH, "Publisher", "Someone Else", true);
  EXPECT_EQ(setup::WriteMachineString(UNINSTALL_KEY, "Publisher", "Kelvane Software"), 1);
  EXPECT_EQ(fake::GetRegistryValue(UNINSTALL_PATH, "Publisher")->data,
            Bytes(std::string("Kelvane Software\0", 17)));
  EXPECT_EQ(fake::RegistryLog(), (Log{"OpenRegistryKey " + UNINSTALL_PATH,
                                      "SetRegistryString " + UNINSTALL_PATH + " [Publisher] 17",
                                      "CloseRegistryKey " + UNINSTALL_PATH}));
}

TEST_F(WriteMachineStringTest, EmptyTextIsOneZeroByte) {
  EXPECT_EQ(setup::WriteMachineString(UNINSTALL_KEY, "UninstallString", ""), 1);
  auto value = fake::GetRegistryValue(UNINSTALL_PATH, "UninstallString");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->data, std::vector<uint8_t>{0});
}

TEST_F(WriteMachineStringTest, FailuresYieldZero) {
  // Neither open nor create: nothing is stored.
  fake::FailRegistry(fake::RegistryOp::Create, UNINSTALL_PATH, platform::REGISTRY_ACCESS_DENIED);
  EXPECT_EQ(setup::WriteMachineString(UNINSTALL_KEY, "DisplayName", "x"), 0);
  EXPECT_EQ(fake::RegistryLog(),
            (Log{"OpenRegistryKey " + UNINSTALL_PATH, "CreateRegistryKey " + UNINSTALL_PATH}));

  // The key opens but the store fails: the key is still closed (TearDown).
  fake::ResetRegistry();
  fake::AddRegistryKey(UNINSTALL_PATH);
  fake::FailRegistry(fake::RegistryOp::SetValue, UNINSTALL_PATH, platform::REGISTRY_ACCESS_DENIED);
  EXPECT_EQ(setup::WriteMachineString(UNINSTALL_KEY, "DisplayName", "x"), 0);
  EXPECT_FALSE(fake::GetRegistryValue(UNINSTALL_PATH, "DisplayName").has_value());
}

// --- DeleteKeyTree -----------------------------------------------------------

using DeleteKeyTreeTest = RegistryHelpersTest;

TEST_F(DeleteKeyTreeTest, MissingKeyYieldsZero) {
  fake::AddRegistryKey("HKCU\\Kelvane");
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "Kelvane\\Brevik"), 0);
  EXPECT_EQ(fake::RegistryLog(), (Log{"OpenRegistryKeyItself HKCU\\Kelvane", "IsRegistryLink HKCU\\Kelvane",
                                      "OpenRegistryKeyItself HKCU\\Kelvane\\Brevik",
                                      "CloseRegistryKey HKCU\\Kelvane"}));
  EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\Kelvane"));
}

TEST_F(DeleteKeyTreeTest, KeyWithValuesOnlyIsDeleted) {
  fake::PutRegistryText("HKCU\\Kelvane\\Brevik", "Volume", "7", true);
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "Kelvane\\Brevik"), 1);
  EXPECT_FALSE(fake::RegistryKeyExists("HKCU\\Kelvane\\Brevik"));
  EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\Kelvane"));
}

TEST_F(DeleteKeyTreeTest, RemovesATreeDepthFirstThroughTheGivenRoot) {
  fake::AddRegistryKey("HKCU\\T\\a\\b\\c");
  fake::PutRegistryText("HKCU\\T\\a\\b", "v", "x", true);
  fake::AddRegistryKey("HKCU\\T\\d");
  fake::AddRegistryKey("HKLM\\T\\a");  // same path under the other root

  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "T"), 1);
  EXPECT_EQ(fake::RegistryLog(), (Log{
                                     "OpenRegistryKeyItself HKCU\\T",
                                     "EnumRegistrySubKey HKCU\\T 0",
                                     "OpenRegistryKeyItself HKCU\\T\\a",
                                     "EnumRegistrySubKey HKCU\\T\\a 0",
                                     "OpenRegistryKeyItself HKCU\\T\\a\\b",
                                     "EnumRegistrySubKey HKCU\\T\\a\\b 0",
                                     "OpenRegistryKeyItself HKCU\\T\\a\\b\\c",
                                     "EnumRegistrySubKey HKCU\\T\\a\\b\\c 0",
                                     "DeleteRegistryKey HKCU\\T\\a\\b\\c",
                                     "CloseRegistryKey HKCU\\T\\a\\b\\c",
                                     "EnumRegistrySubKey HKCU\\T\\a\\b 0",
                                     "DeleteRegistryKey HKCU\\T\\a\\b",
                                     "CloseRegistryKey HKCU\\T\\a\\b",
                                     "EnumRegistrySubKey HKCU\\T\\a 0",
                                     "DeleteRegistryKey HKCU\\T\\a",
                                     "CloseRegistryKey HKCU\\T\\a",
                                     "EnumRegistrySubKey HKCU\\T 0",
                                     "OpenRegistryKeyItself HKCU\\T\\d",
                                     "EnumRegistrySubKey HKCU\\T\\d 0",
                                     "DeleteRegistryKey HKCU\\T\\d",
                                     "CloseRegistryKey HKCU\\T\\d",
                                     "EnumRegistrySubKey HKCU\\T 0",
                                     "DeleteRegistryKey HKCU\\T",
                                     "CloseRegistryKey HKCU\\T",
                                 }));
  EXPECT_FALSE(fake::RegistryKeyExists("HKCU\\T"));
  EXPECT_TRUE(fake::RegistryKeyExists("HKLM\\T\\a"));
}

TEST_F(DeleteKeyTreeTest, StopsAtASubKeyThatStays) {
  // One that cannot be deleted, one that cannot be opened, one that cannot
  // be listed: each ends the walk with 0 instead of being tried again and
  // again, and leaves it and its parents in place.
  struct Case {
    fake::RegistryOp op;
    const char* blocked;
  };
  for (Case c : {Case{fake::RegistryOp::Delete, "HKCU\\T\\a\\b"},
                 Case{fake::RegistryOp::Open, "HKCU\\T\\a\\b"},
                 Case{fake::RegistryOp::Enum, "HKCU\\T\\a\\b"}}) {
    fake::ResetRegistry();
    fake::AddRegistryKey("HKCU\\T\\a\\b\\c");
    fake::AddRegistryKey("HKCU\\T\\z");
    fake::FailRegistry(c.op, c.blocked, platform::REGISTRY_ACCESS_DENIED);

    EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "T"), 0);
    EXPECT_LT(fake::RegistryLog().size(), 30u);
    EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\T\\a\\b"));
    // The walk stopped there: the later sibling was not visited.
    EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\T\\z"));
    EXPECT_EQ(fake::OpenRegistryKeyCount(), 0u);
  }
}

TEST_F(DeleteKeyTreeTest, LinksGoAsLinksAndTheirTargetsStay) {
  // The victim: a machine key with sub-keys and values.
  auto plantVictim = [] {
    fake::PutRegistryText("HKLM\\SOFTWARE\\Victim", "v", "1", true);
    fake::PutRegistryText("HKLM\\SOFTWARE\\Victim\\Sub\\Deep", "w", "2", true);
  };
  auto victimWhole = [] {
    return fake::GetRegistryValue("HKLM\\SOFTWARE\\Victim", "v").has_value() &&
           fake::GetRegistryValue("HKLM\\SOFTWARE\\Victim\\Sub\\Deep", "w").has_value();
  };
  // The per-user key itself a link.
  plantVictim();
  fake::AddRegistryLink("HKCU\\Kelvane\\Brevik", "HKLM\\SOFTWARE\\Victim");
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "Kelvane\\Brevik"), 1);
  EXPECT_FALSE(fake::RegistryKeyExists("HKCU\\Kelvane\\Brevik"));
  EXPECT_TRUE(victimWhole());

  // A link two levels below it, beside ordinary keys.
  fake::ResetRegistry();
  plantVictim();
  fake::PutRegistryText("HKCU\\Kelvane\\Brevik\\a", "x", "y", true);
  fake::AddRegistryLink("HKCU\\Kelvane\\Brevik\\a\\b", "HKLM\\SOFTWARE\\Victim");
  fake::AddRegistryKey("HKCU\\Kelvane\\Brevik\\c");
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "Kelvane\\Brevik"), 1);
  EXPECT_FALSE(fake::RegistryKeyExists("HKCU\\Kelvane\\Brevik"));
  EXPECT_TRUE(victimWhole());

  // The parent a link to a tree that has a "Brevik" of its own: nothing goes.
  fake::ResetRegistry();
  plantVictim();
  fake::AddRegistryKey("HKLM\\SOFTWARE\\Victim\\Brevik\\Kept");
  fake::AddRegistryLink("HKCU\\Kelvane", "HKLM\\SOFTWARE\\Victim");
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "Kelvane\\Brevik"), 0);
  EXPECT_TRUE(victimWhole());
  EXPECT_TRUE(fake::RegistryKeyExists("HKLM\\SOFTWARE\\Victim\\Brevik\\Kept"));
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0u);
}

TEST_F(DeleteKeyTreeTest, SubKeyNameWithoutAnExactAnsiFormEndsTheWalk) {
  // Read through the ANSI call, "x＼Sub" would be "x\Sub": another key,
  // which is never opened.
  fake::AddRegistryKey("HKCU\\T\\x\xEF\xBC\xBCSub");
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "T"), 0);
  EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\T\\x\xEF\xBC\xBCSub"));
  for (const std::string& line : fake::RegistryLog()) EXPECT_EQ(line.find("T\\x\\"), std::string::npos) << line;
}

TEST_F(DeleteKeyTreeTest, KeyThatCannotBeDeletedYieldsZero) {
  fake::AddRegistryKey("HKCU\\T\\a");
  fake::FailRegistry(fake::RegistryOp::Delete, "HKCU\\T", platform::REGISTRY_ACCESS_DENIED);
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, "T"), 0);
  EXPECT_FALSE(fake::RegistryKeyExists("HKCU\\T\\a"));
  EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\T"));
}

TEST_F(DeleteKeyTreeTest, EmptyPathNeverNamesTheRoot) {
  fake::AddRegistryKey("HKCU\\T");
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, ""), 0);
  EXPECT_EQ(setup::DeleteKeyTree(platform::REGISTRY_HKCU, nullptr), 0);
  EXPECT_TRUE(fake::RegistryLog().empty());
  EXPECT_TRUE(fake::RegistryKeyExists("HKCU\\T"));
}

}  // namespace

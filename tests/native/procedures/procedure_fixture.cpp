// Shared set-up of the procedure tests.
#include "procedure_fixture.h"

#include <cstring>
#include <iterator>

#include "app/options.h"
#include "package/package_format.h"
#include "package/package_build.h"
#include "package/package_walk.h"
#include "platform/fake/fake_file_copy.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_shell_link.h"
#include "platform/fake/fake_threads.h"
#include "platform/folders.h"
#include "probe/folder_resolution.h"

namespace procedures_test {

namespace fake = platform::fake;

const std::vector<std::string>& EntryNames() {
  static const std::vector<std::string> names(std::begin(sample_payload::ENTRY_NAMES),
                                              std::end(sample_payload::ENTRY_NAMES));
  return names;
}

std::string EntryContent(const std::string& name) { return "content of " + name + "\n"; }

const std::vector<uint8_t>& SamplePackage() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<package::PackFile> files;
    for (const std::string& name : EntryNames()) {
      std::string content = EntryContent(name);
      files.push_back({name, std::vector<uint8_t>(content.begin(), content.end())});
    }
    std::vector<uint8_t> out;
    EXPECT_EQ(package::BuildPackage(files, package::DEFAULT_RESERVED, out), package::BUILD_OK);
    return out;
  }();
  return bytes;
}

void ResolveCommonProgramsOnce(const std::string& folder) {
  static bool resolved = false;
  if (resolved) return;
  resolved = true;
  fake::Reset();
  if (!folder.empty()) {
    fake::SetSpecialFolder(platform::FOLDER_SOURCE_SHELL, probe::FOLDER_COMMON_PROGRAMS, folder);
  }
  probe::InitSpecialFolders();
  ASSERT_EQ(std::string(probe::GetCommonProgramsFolder()), folder);
}

void SetUserPrograms(const std::string& value) {
  fake::PutRegistryText(kShellFoldersKey, "Programs", value, true);
}

void ProcedureTest::SetUp() {
  ResolveCommonProgramsOnce(CommonPrograms());
  fake::Reset();  // what resolving the folders left
  app::hiddenMode = 0;

  fake::SetPackage(SamplePackage());
  fake::SetSpecialFolder(platform::FOLDER_SOURCE_SHELL, probe::FOLDER_PROGRAM_FILES, kProgramFiles);
  fake::AddFile(kModulePath, "the setup program");
  fake::SetModulePath(kModulePath);
  SetUserPrograms(kUserPrograms);
  fake::AddRegistryKey(kUserKey + "\\Settings");

  app::ClearAppState(state);
  state.mainWindow = kWindow;
  std::strcpy(state.modulePath, kModulePath.c_str());
  std::strcpy(state.failureText, kPreviousText.c_str());
  std::strcpy(state.statusText, kPreviousText.c_str());
}

void ProcedureTest::TearDown() {
  fake::SetCallObserver(nullptr);
  fake::JoinThreads();
  EXPECT_EQ(fake::OpenProcessHandles(), 0u);
  EXPECT_EQ(fake::BadProcessCloseCount(), 0u);
  EXPECT_EQ(fake::BadThreadHandleUses(), 0u);
  EXPECT_EQ(fake::LiveShellLinkReferences(), 0u);
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0u);
  EXPECT_EQ(fake::OpenListings(), 0);
  EXPECT_EQ(fake::OpenPackages(), 0);
}

void ProcedureTest::SeedInstalledMachine() {
  for (const std::string& name : EntryNames()) fake::AddFile(kTarget + "\\" + name, EntryContent(name));
  fake::AddFile(kUninstaller, "the setup program");
  for (const std::string& programs : {kUserPrograms, CommonPrograms()}) {
    if (programs.empty()) continue;
    fake::AddFile(programs + "\\Kelvane\\Brevik\\Readme.LNK", "link");
    fake::AddFile(programs + "\\Kelvane\\Brevik\\Brevik.LNK", "link");
  }
  fake::PutRegistryText(kEntryKey, "DisplayName", "Brevik and Mireline", true);
  fake::PutRegistryText(kEntryKey, "Publisher", "Kelvane Software", true);
  fake::PutRegistryText(kEntryKey, "UninstallString", "\"" + kUninstaller + "\"", true);
}

int ProcedureTest::ExtractedFiles() const {
  int count = 0;
  for (const std::string& name : EntryNames()) {
    const std::string path = kTarget + "\\" + name;
    if (fake::FileExists(path) && fake::FileContent(path) == EntryContent(name)) ++count;
  }
  return count;
}

std::vector<std::string> ProcedureTest::Seam() const { return fake::SeamLog(); }

std::vector<std::string> ProcedureTest::FileCalls(const std::string& operation) const {
  return fake::CallsOf(operation);
}

std::vector<std::string> ProcedureTest::RegistryChanges() const {
  std::vector<std::string> changes;
  for (const std::string& line : fake::RegistryLog()) {
    if (line.rfind("SetRegistryString ", 0) == 0 || line.rfind("DeleteRegistryKey ", 0) == 0) changes.push_back(line);
  }
  return changes;
}

std::vector<std::string> ProcedureTest::ShortcutSaves() const {
  std::vector<std::string> saves;
  for (const std::string& line : fake::ShellLinkLog()) {
    if (line.rfind("SavePersistFile ", 0) == 0) saves.push_back(line.substr(16));
  }
  return saves;
}

std::string ProcedureTest::RegistryText(const std::string& key, const std::string& name) const {
  auto value = fake::GetRegistryValue(key, name);
  if (!value) return "<missing>";
  std::string text(value->data.begin(), value->data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

}  // namespace procedures_test

// Shared set-up of the procedure tests: every fake reset, a sound 21-entry
// package, the program-files and Programs folders answered, the running
// program present as a file, and helpers that read the fakes' outcome.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "payload/sample_entries.h"

namespace procedures_test {

inline const std::string kProgramFiles = "C:\\Program Files (x86)";
inline const std::string kTarget = "C:\\Program Files (x86)\\KV\\Brevik";
inline const std::string kCommonPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
inline const std::string kUserPrograms = "C:\\users\\tester\\Start Menu\\Programs";
inline const std::string kModulePath = "C:\\Downloads\\BrevikSetup.exe";
inline const std::string kUninstaller = kTarget + "\\BrevikSetup.exe";
inline const std::string kShellFoldersKey =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline const std::string kEntryKey =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KV:Brevik {17359A74-1236-5467}";
inline const std::string kUserKey = "HKCU\\Kelvane\\Brevik";
inline const std::string kPreviousText = "text of an earlier run";

// The window handle the procedures post to.
inline void* const kWindow = reinterpret_cast<void*>(0x4321);
inline const std::string kWindowNumber = std::to_string(0x4321);

// The sample payload's entry names in table order, their count and the
// package built from them.
const std::vector<std::string>& EntryNames();
inline constexpr int kEntryCount = static_cast<int>(sample_payload::ENTRY_COUNT);
std::string EntryContent(const std::string& name);
const std::vector<uint8_t>& SamplePackage();

// Resolves the process-wide all-users Programs folder once per test program:
// `folder`, or none when empty. Every test of a program must pass the same.
void ResolveCommonProgramsOnce(const std::string& folder);

// Sets `value` as the per-user "Programs" value.
void SetUserPrograms(const std::string& value);

class ProcedureTest : public ::testing::Test {
 protected:
  // The all-users Programs folder this test program runs with.
  virtual std::string CommonPrograms() const { return kCommonPrograms; }

  void SetUp() override;
  void TearDown() override;

  // Lays down what a successful install leaves: the 21 files, the
  // uninstaller copy, both menu folders with their shortcut files, the
  // uninstall entry and the per-user key.
  void SeedInstalledMachine();

  // Number of the 21 package files present in the target folder with their
  // right content.
  int ExtractedFiles() const;
  // The lines of the seam log (processes, messages, threads, copies).
  std::vector<std::string> Seam() const;
  // Lines of the fake file system's log of one operation.
  std::vector<std::string> FileCalls(const std::string& operation) const;
  // Lines of the registry log that change something ("set", "delete").
  std::vector<std::string> RegistryChanges() const;
  // The path of each shortcut saved, in save order.
  std::vector<std::string> ShortcutSaves() const;
  // A REG_SZ value as text (a stored terminator removed), or "<missing>".
  std::string RegistryText(const std::string& key, const std::string& name) const;

  std::unique_ptr<app::AppState> stateStorage = std::make_unique<app::AppState>();
  app::AppState& state = *stateStorage;
};

}  // namespace procedures_test

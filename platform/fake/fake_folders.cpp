// The fake of the special folders and the Windows folder (folders.h).
#include "platform/fake/fake_folders.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/folders.h"

namespace platform::fake {

namespace {

constexpr char kSeam[] = "folders";

struct FolderState {
  bool libraryMissing[3] = {};
  bool functionMissing[3] = {};
  std::map<std::pair<int, int>, std::string> folderAnswers;
  int openSources = 0;
  std::string windowsFolder = "C:\\WINDOWS";
  bool windowsFolderFails = false;
};

FolderState& TheFolders() {
  static FolderState state;
  return state;
}

}  // namespace

void ResetFolders() { TheFolders() = FolderState(); }

void SetLibraryMissing(int source) {
  if (source == FOLDER_SOURCE_SHELL || source == FOLDER_SOURCE_SHFOLDER) {
    TheFolders().libraryMissing[source] = true;
  }
}
void SetFunctionMissing(int source) {
  if (source == FOLDER_SOURCE_SHELL || source == FOLDER_SOURCE_SHFOLDER) {
    TheFolders().functionMissing[source] = true;
  }
}
void SetSpecialFolder(int source, int folderId, const std::string& path) {
  TheFolders().folderAnswers[{source, folderId}] = path;
}
int OpenFolderSources() { return TheFolders().openSources; }
void SetWindowsFolder(const std::string& path) {
  TheFolders().windowsFolder = path;
  TheFolders().windowsFolderFails = false;
}
void SetWindowsFolderFails() { TheFolders().windowsFolderFails = true; }

}  // namespace platform::fake

namespace platform {

void CloseFolderSource(const FolderSource& source) {
  fake::LogCall(fake::kSeam, "CloseFolderSource " + std::to_string(source.source));
  --fake::TheFolders().openSources;
}

int OpenFolderSource(int source, UniqueFolderSource& opened) {
  opened.Reset();
  fake::LogCall(fake::kSeam, "OpenFolderSource " + std::to_string(source));
  if (source < FOLDER_SOURCE_SHELL || source > FOLDER_SOURCE_SHFOLDER ||
      fake::TheFolders().libraryMissing[source]) {
    return SOURCE_LIBRARY_MISSING;
  }
  ++fake::TheFolders().openSources;
  // The fake keeps no library; any non-null value marks the source as held.
  static int library = 0;
  static int function = 0;
  const bool present = !fake::TheFolders().functionMissing[source];
  opened.Reset(FolderSource{source, &library, present ? &function : nullptr, present ? &function : nullptr});
  return present ? SOURCE_READY : SOURCE_FUNCTION_MISSING;
}

int QuerySpecialFolder(const UniqueFolderSource& source, int folderId, int create, char* buffer,
                       uint32_t capacity) {
  const int id = source.Get().source;
  fake::LogCall(fake::kSeam, "QuerySpecialFolder " + std::to_string(id) + " " + std::to_string(folderId) + " " +
            std::to_string(create));
  if (capacity > 0) {
    buffer[0] = '\0';
  }
  if (source.Get().function == nullptr) {
    return FOLDER_NOT_FOUND;
  }
  auto found = fake::TheFolders().folderAnswers.find({id, folderId});
  if (found == fake::TheFolders().folderAnswers.end()) {
    return FOLDER_NOT_FOUND;
  }
  if (!fake::HasExactAnsiForm(found->second)) {
    return FOLDER_NOT_FOUND;
  }
  if (found->second.size() >= capacity) {
    return FOLDER_TOO_LONG;
  }
  std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
  return FOLDER_FOUND;
}

uint32_t GetWindowsFolder(char* buffer, uint32_t capacity) {
  fake::LogCall(fake::kSeam, "GetWindowsFolder " + std::to_string(capacity));
  if (fake::TheFolders().windowsFolderFails) {
    return 0;
  }
  const std::string& folder = fake::TheFolders().windowsFolder;
  if (folder.size() >= capacity) {
    return static_cast<uint32_t>(folder.size() + 1);
  }
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return static_cast<uint32_t>(folder.size());
}

}  // namespace platform

// Resolution of the all-users Programs folder and of the target folder.
#include "probe/folder_resolution.h"

#include <cstring>

#include "app/bounded_text.h"
#include "platform/answers.h"
#include "platform/folders.h"

namespace probe {

namespace {

// Work buffer of the Windows-folder fallback and the capacity asked for.
constexpr uint32_t WORK_SIZE = 2048;
constexpr uint32_t WINDOWS_FOLDER_CAPACITY = 2000;
constexpr const char* PROGRAM_FILES_NAME = "Program Files\\";
constexpr const char* LAST_FALLBACK = "C:\\Program Files\\";

SpecialFolders processFolders;

struct FolderCall {
  int folderId;
  int create;
  char* buffer;
};

// Whether `folder` joined with `subfolder` fits the target folder's buffer.
bool FitsTarget(const char* folder, const char* subfolder) {
  char joined[app::TARGET_FOLDER_SIZE];
  return app::JoinPath(joined, sizeof joined, folder, subfolder);
}

// Asks `source` for the program-files folder into `out` and keeps the answer
// only when it leaves room for the subfolder.
void AskProgramFiles(int source, const char* subfolder,
                     char (&out)[app::TARGET_FOLDER_SIZE]) {
  platform::UniqueFolderSource opened;
  if (platform::OpenFolderSource(source, opened) != platform::SOURCE_READY) {
    return;
  }
  char answer[app::TARGET_FOLDER_SIZE] = {};
  if (platform::QuerySpecialFolder(opened, FOLDER_PROGRAM_FILES, 0, answer, sizeof answer) ==
          platform::FOLDER_FOUND &&
      FitsTarget(answer, subfolder)) {
    std::memcpy(out, answer, sizeof answer);
  } else {
    out[0] = '\0';
  }
}

// The drive root of the Windows folder joined with "Program Files\", or the
// last fallback when that cannot be had or would not leave room for the
// subfolder.
void BuildFallback(const char* subfolder, char (&out)[app::TARGET_FOLDER_SIZE]) {
  char work[WORK_SIZE] = {};
  const uint32_t length = platform::GetWindowsFolder(work, WINDOWS_FOLDER_CAPACITY);
  // A length that differs from the text means the call failed or the folder
  // did not fit; the text in the buffer is then not the Windows folder.
  if (length > 0 && length == std::strlen(work)) {
    CutToDriveRoot(work);
  } else {
    std::strcpy(work, "C:");
  }
  if (!app::JoinPath(out, app::TARGET_FOLDER_SIZE, work, PROGRAM_FILES_NAME) ||
      !FitsTarget(out, subfolder)) {
    std::strcpy(out, LAST_FALLBACK);
  }
}

}  // namespace

void ResolveSpecialFolders(SpecialFolders& folders) {
  if (folders.foldersResolved != 0) {
    return;
  }
  folders = SpecialFolders{};
  folders.foldersResolved = 1;
  const FolderCall calls[] = {
      {FOLDER_PROGRAM_FILES, 0, folders.programFiles},
      {FOLDER_PERSONAL, 1, folders.personal},
      {FOLDER_APPDATA, 1, folders.appData},
      {FOLDER_COMMON_APPDATA, 1, folders.commonAppData},
      {FOLDER_COMMON_PROGRAMS, 1, folders.commonProgramsFolder},
      {FOLDER_STARTUP, 1, folders.startup},
  };

  bool secondPass = false;
  {
    platform::UniqueFolderSource shell;
    const int opened = platform::OpenFolderSource(platform::FOLDER_SOURCE_SHELL, shell);
    if (opened == platform::SOURCE_LIBRARY_MISSING) {
      // Without SHELL32 the folders stay empty; SHFOLDER is not tried.
      return;
    }
    if (opened == platform::SOURCE_FUNCTION_MISSING) {
      secondPass = true;
    } else {
      for (const FolderCall& call : calls) {
        if (platform::QuerySpecialFolder(shell, call.folderId, call.create, call.buffer,
                                         SPECIAL_FOLDER_SIZE) != platform::FOLDER_FOUND) {
          call.buffer[0] = '\0';
          secondPass = true;
        }
      }
    }
  }
  if (!secondPass) {
    return;
  }
  platform::UniqueFolderSource shfolder;
  if (platform::OpenFolderSource(platform::FOLDER_SOURCE_SHFOLDER, shfolder) !=
      platform::SOURCE_READY) {
    return;
  }
  for (const FolderCall& call : calls) {
    if (call.buffer[0] == '\0' &&
        platform::QuerySpecialFolder(shfolder, call.folderId, 0, call.buffer,
                                     SPECIAL_FOLDER_SIZE) != platform::FOLDER_FOUND) {
      call.buffer[0] = '\0';
    }
  }
}

void InitSpecialFolders() { ResolveSpecialFolders(processFolders); }

const char* GetCommonProgramsFolder() { return processFolders.commonProgramsFolder; }

int ResolveTargetFolder(app::AppState& state, const char* subfolder) {
  if (subfolder == nullptr) {
    subfolder = "";
  }
  state.targetFolder[0] = '\0';
  if (!FitsTarget(LAST_FALLBACK, subfolder)) {
    return RESOLVE_SUBFOLDER_TOO_LONG;
  }
  AskProgramFiles(platform::FOLDER_SOURCE_SHELL, subfolder, state.targetFolder);
  if (state.targetFolder[0] == '\0') {
    AskProgramFiles(platform::FOLDER_SOURCE_SHFOLDER, subfolder, state.targetFolder);
  }
  if (state.targetFolder[0] == '\0') {
    BuildFallback(subfolder, state.targetFolder);
  }
  // Fits: every candidate above was checked with the subfolder.
  app::JoinPath(state.targetFolder, sizeof state.targetFolder, state.targetFolder, subfolder);
  return RESOLVE_OK;
}

int CutToDriveRoot(char* buffer) {
  if (buffer == nullptr || buffer[0] == '\0') {
    return platform::ANSWER_NO;
  }
  // A leading backslash starts a network or rooted path: the backslashes of
  // its prefix (indexes 0 to 2) are not the end of the root.
  const size_t start = buffer[0] == '\\' ? 3 : 0;
  const size_t length = std::strlen(buffer);
  for (size_t i = start; i < length; ++i) {
    if (buffer[i] == '\\') {
      buffer[i + 1] = '\0';
      return platform::ANSWER_YES;
    }
  }
  return platform::ANSWER_NO;
}

}  // namespace probe

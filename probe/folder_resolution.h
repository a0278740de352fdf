// Where things go on the machine: the all-users Programs folder, resolved once
// at start-up, and the target folder under the program-files folder, resolved
// on request of the setup procedures.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/answers.h"

namespace probe {

// Special-folder numbers of the system (the shell's CSIDL values).
inline constexpr int FOLDER_PROGRAM_FILES = 38;
inline constexpr int FOLDER_PERSONAL = 5;
inline constexpr int FOLDER_APPDATA = 26;
inline constexpr int FOLDER_COMMON_APPDATA = 35;
inline constexpr int FOLDER_COMMON_PROGRAMS = 23;
inline constexpr int FOLDER_STARTUP = 7;

// Size of each special-folder text, terminating zero included.
inline constexpr uint32_t SPECIAL_FOLDER_SIZE = 512;

// The folders asked for at start-up. Only `commonProgramsFolder` is read later; the
// others are asked for in the same passes and kept, as the system answered.
struct SpecialFolders {
  int foldersResolved;  // 1 once a resolution pass has run
  char programFiles[SPECIAL_FOLDER_SIZE];
  char personal[SPECIAL_FOLDER_SIZE];
  char appData[SPECIAL_FOLDER_SIZE];
  char commonAppData[SPECIAL_FOLDER_SIZE];
  char commonProgramsFolder[SPECIAL_FOLDER_SIZE];
  char startup[SPECIAL_FOLDER_SIZE];
};

// Resolves `folders` unless it is already resolved: a first pass through
// SHELL32's source (program files without, the others with the create flag),
// then, only when that library loaded but its function was missing or a call
// failed, a second pass through SHFOLDER's source over the folders still
// empty. When SHELL32 cannot be loaded at all nothing more is tried. An answer
// that does not fit its 512-byte text counts as that call failing.
void ResolveSpecialFolders(SpecialFolders& folders);

// ResolveSpecialFolders on the process-wide record. Called once by start-up
// on the main thread before any other thread exists; later calls do nothing.
void InitSpecialFolders();

// The all-users Programs folder found by InitSpecialFolders, or an empty text
// when no source supplied it. Callers copy it before appending to it.
const char* GetCommonProgramsFolder();

// Results of ResolveTargetFolder.
inline constexpr int RESOLVE_OK = platform::ANSWER_SUCCESS;
// Even "C:\Program Files\" joined with `subfolder` would not fit
// `targetFolder`; it is left empty. The procedures' fixed subfolder never
// causes this.
inline constexpr int RESOLVE_SUBFOLDER_TOO_LONG = -1;

// Fills state.targetFolder with the program-files folder, one backslash and
// `subfolder` (a null subfolder counts as empty). The program-files folder
// comes from SHELL32's source, else SHFOLDER's, else the drive root of the
// Windows folder followed by "Program Files\", else "C:\Program Files\". A
// source answer that would not fit together with the subfolder counts as
// that source failing. Loads and frees the sources anew on every call.
int ResolveTargetFolder(app::AppState& state, const char* subfolder);

// Cuts `buffer` after its root component: after the first backslash, or,
// for a text beginning with a backslash, after the first backslash at index 3
// or later. ANSWER_YES when it cut; ANSWER_NO when no such backslash exists
// (the text is left as it was), also for an empty text. C:\WINDOWS gives C:\, \\server\share
// gives \\server\.
int CutToDriveRoot(char* buffer);

}  // namespace probe

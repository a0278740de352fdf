// Control of the fake special folders and Windows folder (folders.h). After
// fake::Reset both folder sources are present and answer nothing (every
// query fails); the Windows folder is C:\WINDOWS.
#pragma once

#include <string>

namespace platform::fake {

void SetLibraryMissing(int source);
void SetFunctionMissing(int source);
// Source `source` answers `path` for folder `folderId`; folders without an
// answer fail. An answer longer than the caller's buffer is reported as
// FOLDER_TOO_LONG.
void SetSpecialFolder(int source, int folderId, const std::string& path);
// Sources opened and not yet closed.
int OpenFolderSources();
void SetWindowsFolder(const std::string& path);
// GetWindowsFolder then answers 0.
void SetWindowsFolderFails();

}  // namespace platform::fake

// Control of the recording shell link object behind the platform seam in the
// native build: inject failures, read the ordered call log, check that every
// reference handed out was released, and read the shortcuts "saved".
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_seam_log.h"
#include "platform/shell_link.h"

namespace platform::fake {

// The four settings a link object held when it was saved. A null text is
// recorded as "(null)".
struct SavedShortcut {
  std::string targetPath;
  std::string description;
  std::string arguments;
  std::string workingDirectory;
};

// Forgets failures, the shell link lines of the call log, saved shortcuts
// and live references. Part of fake::Reset; a test calls it alone to start
// its next case afresh.
void ResetShellLink();

// What a test sets; fake::Reset and ResetShellLink put back these values.
// Object creation, the persist-file query or the save fail with the code
// set (COM_S_OK: they succeed).
struct ShellLinkKnobs {
  ComResult createFailure = COM_S_OK;
  ComResult queryFailure = COM_S_OK;
  ComResult saveFailure = COM_S_OK;
};
extern ShellLinkKnobs shellLinkKnobs;

// Shell link seam lines of the call log (fake_seam_log.h; ShellLinkLog()
// gives them alone), "Operation arguments":
//   "CreateShellLink", "SetShellLinkPath TEXT", "SetShellLinkDescription TEXT",
//   "SetShellLinkArguments TEXT", "SetShellLinkWorkingDirectory TEXT",
//   "QueryShellLinkPersistFile", "SavePersistFile PATH", "ReleasePersistFile",
//   "ReleaseShellLink"

// References handed out (links and persist-file interfaces) not yet released.
size_t LiveShellLinkReferences();
// Releases of something that was not a live reference.
size_t BadShellLinkReleaseCount();

// Shortcuts saved, by path exactly as given to the save; a later save to
// the same path replaces the earlier one. A save also puts a file at that
// path into the platform fake's file system (content: the four settings
// joined with "|"), and fails with ERROR_PATH_NOT_FOUND as a status code when
// the file's folder is not there.
const std::map<std::string, SavedShortcut>& SavedShortcuts();

}  // namespace platform::fake

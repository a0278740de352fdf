// Programs-menu shortcuts through the platform's shell link seam.
#include "setup/shortcuts.h"

#include "app/bounded_text.h"
#include "platform/answers.h"
#include "platform/files.h"
#include "platform/held_folders.h"
#include "setup/folder_tree.h"

namespace setup {
namespace {

constexpr char SHORTCUT_EXTENSION[] = ".LNK";

}  // namespace

bool BuildShortcutPath(const char* folder, const char* name, char* out) {
  if (folder == nullptr || name == nullptr) {
    return false;
  }
  // The joined path must leave room for the extension.
  if (!app::JoinPath(out, SHORTCUT_PATH_AREA - (sizeof SHORTCUT_EXTENSION - 1), folder, name)) {
    return false;
  }
  return app::AppendText(out, SHORTCUT_PATH_AREA, SHORTCUT_EXTENSION);
}

platform::ComResult CreateShortcut(const char* targetPath, const char* folder, const char* name,
                                   const char* arguments) {
  if (targetPath == nullptr || folder == nullptr || name == nullptr) {
    return platform::COM_E_INVALIDARG;
  }
  char linkPath[SHORTCUT_PATH_AREA];
  if (!BuildShortcutPath(folder, name, linkPath)) {
    return platform::COM_E_FILENAME_TOO_LONG;
  }
  char workingFolder[SHORTCUT_PATH_AREA];
  if (!app::CopyText(workingFolder, sizeof workingFolder, targetPath)) {
    return platform::COM_E_FILENAME_TOO_LONG;
  }
  StripLastComponent(workingFolder);

  platform::ShellLink link;
  platform::ComResult result = platform::CreateShellLink(link);
  if (!platform::ComSucceeded(result)) {
    return result;
  }
  // The settings are not checked: a link that cannot take one of them still
  // gets saved with the others, and only the save decides the result.
  platform::SetShellLinkPath(link.Get(), targetPath);
  platform::SetShellLinkDescription(link.Get(), name);
  platform::SetShellLinkArguments(link.Get(), arguments);
  platform::SetShellLinkWorkingDirectory(link.Get(), workingFolder);

  platform::PersistFile file;
  result = platform::QueryShellLinkPersistFile(link.Get(), file);
  if (!platform::ComSucceeded(result)) {
    return result;
  }
  // A planted hard link in the shortcut's place would be written through:
  // the old file goes first, and the save makes a new one.
  platform::RemoveFile(linkPath);
  result = platform::SavePersistFile(file.Get(), linkPath);
  // The persist-file interface is released before the link, as it was
  // obtained after it.
  file.Reset();
  return result;
}

int DeleteShortcut(const char* folder, const char* name) {
  char linkPath[SHORTCUT_PATH_AREA];
  if (!BuildShortcutPath(folder, name, linkPath)) {
    return platform::ANSWER_NO;
  }
  platform::UniqueHeldItem held;
  if (platform::HoldFolder(folder, held) != platform::HELD_FOLDER) {
    return platform::ANSWER_NO;
  }
  return DeleteShortcut(held, name);
}

int DeleteShortcut(const platform::UniqueHeldItem& folder, const char* name) {
  char fileName[SHORTCUT_PATH_AREA];
  if (!folder.IsValid() || name == nullptr || !app::CopyText(fileName, sizeof fileName, name) ||
      !app::AppendText(fileName, sizeof fileName, SHORTCUT_EXTENSION)) {
    return platform::ANSWER_NO;
  }
  platform::UniqueHeldItem file;
  if (platform::OpenHeldFile(folder, fileName, file) != platform::HELD_FILE) {
    return platform::ANSWER_NO;
  }
  return platform::DeleteHeldItem(file);
}

}  // namespace setup

// The uninstall procedure: the tool runs while every installed file is still
// in place; the removals that follow are never checked.
#include "setup/uninstall.h"

#include "app/bounded_text.h"
#include "app/options.h"
#include "app/results.h"
#include "app/setup_log.h"
#include "package/extract.h"
#include "package/load_table.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "probe/folder_resolution.h"
#include "setup/folder_tree.h"
#include "setup/procedure_steps.h"
#include "setup/registry.h"
#include "setup/setup_texts.h"
#include "setup/shortcuts.h"
#include "setup/target_removal.h"

namespace setup {

namespace {

// Deletes the shortcuts "Brevik" and "Readme" of `programsFolder`\Kelvane\Brevik,
// then that folder with whatever else it holds, then Kelvane when empty. A
// Programs folder too long to take the sub-folder is skipped, and so is a
// menu folder where Kelvane or Kelvane\Brevik is a link.
void RemoveMenuShortcuts(const char* programsFolder) {
  char menuFolder[MENU_FOLDER_SIZE];
  if (!BuildMenuFolder(programsFolder, menuFolder)) return;
  FolderPair menu;
  const int held = HoldFolderPair(menuFolder, false, menu);
  LogFolderHeld(menuFolder, false, held);
  if (held != FOLDER_PAIR_HELD) return;
  const int appDeleted = DeleteShortcut(menu.folder, APP_SHORTCUT);
  app::LogShortcutDeleted(menuFolder, APP_SHORTCUT, appDeleted);
  const int readmeDeleted = DeleteShortcut(menu.folder, README_SHORTCUT);
  app::LogShortcutDeleted(menuFolder, README_SHORTCUT, readmeDeleted);
  RemoveFolderPair(menuFolder, menu);
  app::LogFolderRemoved(menuFolder);
}

}  // namespace

int32_t RunUninstall(app::AppState& state) {
  app::CopyText(state.failureCaption, sizeof state.failureCaption, UNINSTALL_FAILURE_CAPTION);
  const int loaded = package::LoadPackageTable(state);
  app::LogStep("package", loaded);
  if (loaded != package::LOAD_TABLE_OK) {
    ReportFailure(state, UNINSTALL_PACKAGE_DAMAGED_TEXT, 1);
    return app::RESULT_PACKAGE_DAMAGED;
  }

  probe::ResolveTargetFolder(state, TARGET_SUBFOLDER);
  int32_t exitCode = TOOL_EXIT_UNKNOWN;
  int32_t toolResult = RunSetupTool(state, TOOL_UNINSTALL_COMMAND, exitCode);
  if (toolResult != app::RESULT_OK) return toolResult;

  // Nothing is deleted below KV or KV\Brevik when either is a link.
  FolderPair target;
  const int held = HoldFolderPair(state.targetFolder, false, target);
  LogFolderHeld(state.targetFolder, false, held);
  if (held == FOLDER_PAIR_HELD) {
    package::DeletePackageFiles(state, target.folder);
  }

  char userPrograms[MENU_FOLDER_SIZE];
  if (ReadUserProgramsFolder(userPrograms)) {
    RemoveMenuShortcuts(userPrograms);
  }
  const char* commonPrograms = probe::GetCommonProgramsFolder();
  if (commonPrograms[0] != '\0') RemoveMenuShortcuts(commonPrograms);

  char keyPath[KEY_PATH_SIZE];
  app::JoinPath(keyPath, sizeof keyPath, UNINSTALL_ROOT_KEY, UNINSTALL_ENTRY_KEY);
  const int entryDeleted = DeleteKeyTree(platform::REGISTRY_HKLM, keyPath);
  app::LogRegistryDeleted(platform::REGISTRY_HKLM, keyPath, entryDeleted);

  probe::ResolveTargetFolder(state, TARGET_SUBFOLDER);
  if (HoldFolderPair(state.targetFolder, false, target) == FOLDER_PAIR_HELD) {
    RemoveTargetFolder(state, state.targetFolder, target);
    app::LogFolderRemoved(state.targetFolder);
  }
  state.targetFolder[0] = '\0';

  const int userKeyDeleted = DeleteKeyTree(platform::REGISTRY_HKCU, USER_KEY);
  app::LogRegistryDeleted(platform::REGISTRY_HKCU, USER_KEY, userKeyDeleted);

  if (app::hiddenMode == 0) {
    platform::ShowMessageBox(state.mainWindow,
                             exitCode == TOOL_EXIT_RESTART ? CLOSING_TEXT_AFTER_RESTART_CODE : CLOSING_TEXT,
                             CLOSING_CAPTION, CLOSING_BOX_STYLE);
  }
  app::LogResult("uninstall", app::RESULT_OK);
  return app::RESULT_OK;
}

}  // namespace setup

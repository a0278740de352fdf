// The install procedure: one straight sequence of steps, each checked only
// where its failure must stop the install.
#include "setup/install.h"

#include "app/bounded_text.h"
#include "app/commands.h"
#include "app/results.h"
#include "app/setup_log.h"
#include "package/extract.h"
#include "package/load_table.h"
#include "platform/answers.h"
#include "platform/file_copy.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "probe/folder_resolution.h"
#include "setup/folder_tree.h"
#include "setup/procedure_steps.h"
#include "setup/registry.h"
#include "setup/setup_texts.h"
#include "setup/shortcuts.h"

namespace setup {

// The uninstaller path is the target folder (at most 1023 characters), a
// backslash and the program's file name (at most 1023), so it always fits;
// quoted it needs two more characters.
inline constexpr size_t UNINSTALLER_PATH_SIZE = TOOL_PATH_SIZE;
inline constexpr size_t QUOTED_UNINSTALLER_SIZE = UNINSTALLER_PATH_SIZE + 2;
static_assert(app::TARGET_FOLDER_SIZE - 1 + 1 + app::MODULE_PATH_SIZE - 1 + 1 <= UNINSTALLER_PATH_SIZE);
static_assert(app::TARGET_FOLDER_SIZE - 1 + 1 + sizeof APP_TARGET <= TOOL_PATH_SIZE);
static_assert(app::TARGET_FOLDER_SIZE - 1 + 1 + sizeof README_TARGET <= TOOL_PATH_SIZE);

namespace {

// Creates `programsFolder`\Kelvane\Brevik and, only when it exists
// afterwards, the shortcuts "Readme" and "Brevik" in it, in that order. A
// Programs folder too long to take the sub-folder is skipped, and so is a
// menu folder where Kelvane or Kelvane\Brevik is a link.
void CreateMenuShortcuts(const app::AppState& state, const char* programsFolder) {
  char menuFolder[MENU_FOLDER_SIZE];
  if (!BuildMenuFolder(programsFolder, menuFolder)) return;
  FolderPair menu;
  const int held = HoldFolderPair(menuFolder, true, menu);
  LogFolderHeld(menuFolder, true, held);
  if (held != FOLDER_PAIR_HELD) return;

  char target[TOOL_PATH_SIZE];
  app::JoinPath(target, sizeof target, state.targetFolder, README_TARGET);
  const platform::ComResult readmeCreated = CreateShortcut(target, menuFolder, README_SHORTCUT, nullptr);
  app::LogShortcutCreated(menuFolder, README_SHORTCUT, readmeCreated);
  app::JoinPath(target, sizeof target, state.targetFolder, APP_TARGET);
  const platform::ComResult appCreated = CreateShortcut(target, menuFolder, APP_SHORTCUT, nullptr);
  app::LogShortcutCreated(menuFolder, APP_SHORTCUT, appCreated);
}

// The uninstaller's file name: the program's own, taken from `modulePath`;
// when that path has no exact ANSI form (it is then empty), the program's
// own file name when that has one, else the name the program ships under.
void UninstallerName(const app::AppState& state, char (&name)[app::MODULE_PATH_SIZE]) {
  if (state.modulePath[0] != '\0') {
    app::CopyText(name, sizeof name, state.modulePath);
    KeepLastComponent(name);
    return;
  }
  if (platform::GetModuleName(state.instance, name, sizeof name) != platform::ANSWER_YES) {
    app::CopyText(name, sizeof name, UNINSTALLER_FALLBACK_NAME);
  }
}

// Writes one value of the uninstall entry; the result is only logged.
void WriteUninstallValue(const char* keyPath, const char* valueName, const char* text) {
  const int written = WriteMachineString(keyPath, valueName, text);
  app::LogRegistryWritten(keyPath, valueName, written);
}

}  // namespace

int32_t RunInstall(app::AppState& state) {
  const int userKeyDeleted = DeleteKeyTree(platform::REGISTRY_HKCU, USER_KEY);
  app::LogRegistryDeleted(platform::REGISTRY_HKCU, USER_KEY, userKeyDeleted);

  app::CopyText(state.failureCaption, sizeof state.failureCaption, INSTALL_FAILURE_CAPTION);
  app::CopyText(state.statusText, sizeof state.statusText, STATUS_EXTRACT_PACKAGE);
  const int loaded = package::LoadPackageTable(state);
  app::LogStep("package", loaded);
  if (loaded != package::LOAD_TABLE_OK) {
    ReportFailure(state, INSTALL_PACKAGE_DAMAGED_TEXT, 1);
    return app::RESULT_PACKAGE_DAMAGED;
  }

  app::CopyText(state.statusText, sizeof state.statusText, STATUS_COPY_FILES);
  probe::ResolveTargetFolder(state, TARGET_SUBFOLDER);
  // KV and KV\Brevik stay held to the end of the run; a link at either is
  // no usable target folder.
  FolderPair target;
  const int held = HoldFolderPair(state.targetFolder, true, target);
  LogFolderHeld(state.targetFolder, true, held);
  if (held != FOLDER_PAIR_HELD) {
    ReportFailure(state, TARGET_FOLDER_FAILED_TEXT, 1);
    return app::RESULT_TARGET_FOLDER_FAILED;
  }
  const int extracted = package::ExtractPackage(state);
  app::LogStep("extract", extracted);
  if (extracted != package::EXTRACT_OK) {
    ReportFailure(state, EXTRACTION_FAILED_TEXT, 1);
    return app::RESULT_EXTRACTION_FAILED;
  }

  app::CopyText(state.statusText, sizeof state.statusText, STATUS_INSTALL_DRIVER);
  int32_t exitCode = TOOL_EXIT_UNKNOWN;
  int32_t toolResult = RunSetupTool(state, TOOL_INSTALL_COMMAND, exitCode);
  if (toolResult != app::RESULT_OK) return toolResult;
  if (exitCode == TOOL_EXIT_RESTART) {
    ReportFailure(state, RESTART_FIRST_TEXT, 0);
    return app::RESULT_RESTART_FIRST;
  }

  app::CopyText(state.statusText, sizeof state.statusText, STATUS_FINALIZE);
  char userPrograms[MENU_FOLDER_SIZE];
  if (ReadUserProgramsFolder(userPrograms)) {
    CreateMenuShortcuts(state, userPrograms);
  }
  const char* commonPrograms = probe::GetCommonProgramsFolder();
  if (commonPrograms[0] != '\0') CreateMenuShortcuts(state, commonPrograms);

  char programName[app::MODULE_PATH_SIZE];
  UninstallerName(state, programName);
  char uninstaller[UNINSTALLER_PATH_SIZE];
  app::JoinPath(uninstaller, sizeof uninstaller, state.targetFolder, programName);
  // The copy is read from the program's own file as the system names it, so
  // it is this program's bytes whatever characters its path holds. A copy
  // that fails (the program already runs from there, say) is ignored; the
  // attributes are reset only on a fresh copy, to clear a read-only flag
  // carried over from the source.
  const int copied = platform::CopyModuleFile(state.instance, uninstaller);
  app::LogCopied(uninstaller, copied);
  if (copied == platform::ANSWER_YES) {
    platform::SetFileAttributesNormal(uninstaller);
  }

  char keyPath[KEY_PATH_SIZE];
  app::JoinPath(keyPath, sizeof keyPath, UNINSTALL_ROOT_KEY, UNINSTALL_ENTRY_KEY);
  // The command is quoted: the program-files path holds spaces, and an
  // unquoted command with spaces is run by whichever prefix of it names an
  // existing program.
  char quoted[QUOTED_UNINSTALLER_SIZE] = "\"";
  app::AppendText(quoted, sizeof quoted, uninstaller);
  app::AppendText(quoted, sizeof quoted, "\"");
  WriteUninstallValue(keyPath, DISPLAY_NAME_VALUE, DISPLAY_NAME);
  WriteUninstallValue(keyPath, PUBLISHER_VALUE, PUBLISHER);
  WriteUninstallValue(keyPath, UNINSTALL_STRING_VALUE, quoted);

  app::CopyText(state.statusText, sizeof state.statusText, STATUS_COMPLETED);
  platform::PostCommand(state.mainWindow, app::CMD_NOTIFY, app::NOTIFY_SUCCESS);
  return app::RESULT_OK;
}

}  // namespace setup

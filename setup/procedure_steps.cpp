// Steps and text work shared by the install and the uninstall procedure.
#include "setup/procedure_steps.h"

#include <cstring>
#include <string_view>

#include "app/bounded_text.h"
#include "app/commands.h"
#include "app/product.h"
#include "app/results.h"
#include "app/setup_log.h"
#include "package/package_format.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/system_error.h"
#include "setup/registry.h"
#include "setup/setup_texts.h"

namespace setup {

// The tools are reached by path, so their names must be those the package
// carries.
static_assert(std::string_view(SETUP_TOOL_32) == package::SETUP_TOOL_NAME);
static_assert(std::string_view(SETUP_TOOL_64) == package::SETUP_TOOL_X64_NAME);
static_assert(std::string_view(APP_TARGET) == package::COMPANION_APP_NAME);
static_assert(std::string_view(README_TARGET) == package::README_NAME);

// A target folder (at most 1023 characters), a backslash and the longer tool
// name always fit the tool path.
static_assert(app::TARGET_FOLDER_SIZE - 1 + 1 + sizeof SETUP_TOOL_64 <= TOOL_PATH_SIZE);

// Every failure text, with the host and a full stop, fits failureText.
static_assert(sizeof EXTRACTION_FAILED_TEXT - 1 + sizeof app::PRODUCT_WEB_HOST - 1 + 1 + 1 <=
              app::FAILURE_TEXT_SIZE);
static_assert(sizeof INSTALL_PACKAGE_DAMAGED_TEXT <= sizeof EXTRACTION_FAILED_TEXT);
static_assert(sizeof TARGET_FOLDER_FAILED_TEXT <= sizeof EXTRACTION_FAILED_TEXT);
static_assert(sizeof UNINSTALL_PACKAGE_DAMAGED_TEXT <= sizeof EXTRACTION_FAILED_TEXT);
static_assert(sizeof RESTART_FIRST_TEXT <= app::FAILURE_TEXT_SIZE);

namespace {

const char kFullStop[] = ".";

}  // namespace

bool BuildMenuFolder(const char* programsFolder, char* buffer) {
  return app::JoinPath(buffer, MENU_FOLDER_SIZE, programsFolder, MENU_SUBFOLDER);
}

bool ReadUserProgramsFolder(char* buffer) {
  // ReadUserText refuses a value that does not fit the folder area.
  const int read = ReadUserText(SHELL_FOLDERS_KEY, PROGRAMS_VALUE, buffer, MENU_FOLDER_SIZE);
  if (read == USER_TEXT_INEXACT) app::LogUserValueInexact(SHELL_FOLDERS_KEY, PROGRAMS_VALUE);
  return read == USER_TEXT_READ;
}

void ReportFailure(app::AppState& state, const char* text, int withHost) {
  // The sizes are asserted above, so none of these can refuse.
  app::CopyText(state.failureText, sizeof state.failureText, text);
  if (withHost) {
    app::AppendText(state.failureText, sizeof state.failureText, app::PRODUCT_WEB_HOST);
    app::AppendText(state.failureText, sizeof state.failureText, kFullStop);
  }
  platform::PostCommand(state.mainWindow, app::CMD_NOTIFY, app::NOTIFY_FAILURE);
}

int32_t RunSetupTool(const app::AppState& state, const char* commandLine, int32_t& exitCode) {
  exitCode = TOOL_EXIT_UNKNOWN;
  char toolPath[TOOL_PATH_SIZE];
  app::JoinPath(toolPath, sizeof toolPath, state.targetFolder,
           state.is64BitHost != 0 ? SETUP_TOOL_64 : SETUP_TOOL_32);

  platform::UniqueProcess process;
  const uint32_t begun = platform::MillisecondCounter();
  int started = platform::StartProcess(toolPath, commandLine, state.targetFolder, process);
  app::ToolRun run{toolPath, commandLine, started, 0, exitCode, 0};
  if (started != platform::PROCESS_STARTED) {
    run.startError = platform::LastSystemError();
    app::LogToolRun(run);
    return started == platform::PROCESS_NOT_STARTED ? app::RESULT_TOOL_NOT_STARTED : app::RESULT_TOOL_WITHOUT_HANDLE;
  }
  platform::WaitForProcess(process);
  platform::ReadProcessExitCode(process, exitCode);
  run.exitCode = exitCode;
  run.milliseconds = platform::MillisecondCounter() - begun;
  app::LogToolRun(run);
  return app::RESULT_OK;
}

}  // namespace setup

// Start-up and end of the program.
#include "app/application_main.h"

#include <cstring>

#include "app/app_state_instance.h"
#include "app/bounded_text.h"
#include "app/parse_options.h"
#include "app/setup_log.h"
#include "package/package_format.h"
#include "platform/answers.h"
#include "platform/desktop_windows.h"
#include "platform/log_file.h"
#include "platform/messages.h"
#include "platform/named_mutex.h"
#include "platform/system.h"
#include "platform/threads.h"
#include "probe/folder_resolution.h"
#include "probe/system_probe.h"
#include "ui/main_window.h"
#include "ui/painting.h"
#include "ui/window_messages.h"

namespace app {

namespace {

// The title, "%s" replaced by the version, must fit its buffer.
static_assert(sizeof WINDOW_TITLE_FORMAT - 1 - 2 + sizeof VERSION_TEXT - 1 < WINDOW_TITLE_SIZE);

// The window title: the format's "%s" replaced by the version. Plain text
// joining rather than the C library's formatting, whose implementation would
// be the largest single piece of the program.
void FormatWindowTitle(char (&title)[WINDOW_TITLE_SIZE]) {
  const char* placeholder = std::strstr(WINDOW_TITLE_FORMAT, "%s");
  const size_t head = static_cast<size_t>(placeholder - WINDOW_TITLE_FORMAT);
  std::memcpy(title, WINDOW_TITLE_FORMAT, head);
  title[head] = '\0';
  app::AppendText(title, sizeof title, VERSION_TEXT);
  app::AppendText(title, sizeof title, placeholder + 2);
}

struct StaleWindowSearch {
  const char* prefix;
  size_t prefixLength;
  ProgramNames programs;
};

bool MadeByOneOf(platform::WindowHandle window, ProgramNames programs) {
  char program[PROGRAM_NAME_READ_SIZE];
  if (platform::ReadWindowProgramName(window, program, PROGRAM_NAME_READ_SIZE) != platform::ANSWER_YES) {
    return false;
  }
  for (size_t i = 0; i < programs.count; ++i) {
    if (package::SameFileName(program, programs.names[i])) return true;
  }
  return false;
}

int CloseIfStale(platform::WindowHandle window, void* context) {
  // The enumeration is never cut short.
  constexpr int GO_ON = 1;
  if (window == nullptr) return GO_ON;
  const StaleWindowSearch& search = *static_cast<const StaleWindowSearch*>(context);
  char title[WINDOW_TITLE_READ_SIZE];
  const int32_t length = platform::ReadWindowTitle(window, title, WINDOW_TITLE_READ_SIZE);
  if (length < 0 || static_cast<size_t>(length) < search.prefixLength) return GO_ON;
  if (std::memcmp(title, search.prefix, search.prefixLength) != 0) return GO_ON;
  // The destroy request ends a window without asking: only the product's
  // own programs get it.
  if (MadeByOneOf(window, search.programs)) platform::PostWindowMessage(window, ui::WM_DESTROY, 0, 0);
  return GO_ON;
}

// Opens the log when one is asked for and writes the run's header line.
void StartSetupLog(const AppState& state, const char* commandTail) {
  char path[LOG_PATH_SIZE];
  if (!FindLogRequest(path)) return;
  if (OpenSetupLog(setupLog, path) != platform::LOG_FILE_OPENED) return;
  char modulePath[MODULE_PATH_SIZE];
  platform::GetModulePath(nullptr, modulePath, sizeof modulePath);
  const LogHeader header{VERSION_TEXT,       modulePath,          commandTail != nullptr ? commandTail : "",
                         probe::GetOsClass(), state.is64BitHost, platform::QueryElevation()};
  WriteLogHeader(setupLog, header);
}

}  // namespace

void CloseStaleWindows(const char* prefix, ProgramNames programs) {
  if (prefix == nullptr) return;
  StaleWindowSearch search{prefix, std::strlen(prefix), programs};
  platform::EnumerateTopLevelWindows(CloseIfStale, &search);
}

int InitAppState(AppState& state, platform::ModuleHandle instance) {
  ClearAppState(state);
  state.instance = instance;
  state.is64BitHost = probe::IsWow64Host();
  return platform::ANSWER_SUCCESS;
}

int32_t ApplicationMain(platform::ModuleHandle instance, const char* commandTail) {
  ParseOptions(commandTail);

  platform::UniqueNamedMutex lock;
  const int lockOutcome = platform::CreateOwnedMutex(SINGLE_INSTANCE_MUTEX, lock);
  if (lockOutcome == platform::MUTEX_FAILED) return EXIT_NO_LOCK;
  if (lockOutcome == platform::MUTEX_ALREADY_EXISTS) return EXIT_ALREADY_RUNNING;
  // A machine lock this copy may not open (refused, or made by someone else
  // with rights that shut us out) counts as held, like one that exists.
  platform::UniqueNamedMutex machineLock;
  if (platform::CreateOwnedMutex(MACHINE_INSTANCE_MUTEX, machineLock) != platform::MUTEX_CREATED) {
    platform::ReleaseNamedMutex(lock.Get());
    return EXIT_ALREADY_RUNNING;
  }

  CloseStaleWindows(STALE_WINDOW_PREFIX, PRODUCT_PROGRAMS);
  probe::InitSpecialFolders();
  InitAppState(appState, instance);
  // Only now: a copy that ended at the lock must leave no trace.
  StartSetupLog(appState, commandTail);

  char title[WINDOW_TITLE_SIZE];
  FormatWindowTitle(title);

  const int comStarted = platform::InitializeThreadCom();
  // The uninstall, and the waits of a command-line run, keep the window's
  // thread from its queue for as long as they take; ending the program
  // there would leave half a product.
  platform::KeepWindowsFromGhosting();
  platform::WindowHandle window = ui::CreateMainWindow(instance, ui::MainWindowProc, nullptr, title);
  int32_t exitCode = EXIT_NO_WINDOW;
  if (window != nullptr) {
    int32_t quitCode = 0;
    exitCode = platform::RunMessageLoop(quitCode) ? quitCode : EXIT_MESSAGE_LOOP_FAILED;
  } else {
    // The creation handler may have run before the window failed.
    ui::FreeWindowResources(appState);
  }

  platform::ReleaseNamedMutex(machineLock.Get());
  machineLock.Reset();
  platform::ReleaseNamedMutex(lock.Get());
  lock.Reset();
  if (comStarted == platform::ANSWER_YES) platform::UninitializeThreadCom();
  LogEnd(exitCode);
  setupLog.file.Reset();
  return exitCode;
}

}  // namespace app

// One reset for the whole fake, so that no test depends on which parts an
// earlier test touched.
#include "platform/fake/fake_log_file.h"
#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_shell_link.h"

namespace platform::fake {

void Reset() {
  // First: a real thread still running could act on the other parts.
  ResetThreads();
  ResetFileSystem();
  ResetFolders();
  ResetPackage();
  ResetSystem();
  ResetDevices();
  ResetHeld();
  ResetRegistry();
  ResetShellLink();
  ResetProcesses();
  ResetMessages();
  ResetFileCopy();
  ResetCanvas();
  ResetWindow();
  ResetMessageBoxes();
  ResetDesktop();
  ResetShell();
  ResetMutexes();
  ResetMetrics();
  ResetLogFiles();
  ResetEnvironment();
  ResetClock();
  ResetSystemErrors();
  ResetCallLog();
}

}  // namespace platform::fake

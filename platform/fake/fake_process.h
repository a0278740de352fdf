// Control of the fake process seam of the host build. By default a program
// starts when its file exists in the fake file system (fake_files.h) and
// ends at once with exit code 0.
//
// Seam log lines (fake_seam_log.h):
//   "StartProcess APPLICATION | COMMAND LINE | CURRENT FOLDER"
//   "WaitForProcess", "ReadProcessExitCode CODE" or "ReadProcessExitCode unreadable",
//   "CloseProcessHandle"
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::fake {

// One StartProcess call as it was asked for.
struct ProcessLaunch {
  std::string application;
  std::string commandLine;
  std::string currentFolder;
};

// Back to the default behaviour; forgets launches, handle counts and hooks.
// Part of fake::Reset; a test calls it alone to run a second time afresh.
void ResetProcesses();

// A start outcome for "started when the program's file exists".
inline constexpr int PROCESS_AS_FILES = -1;

// What a test sets; fake::Reset and ResetProcesses put back these values.
struct ProcessKnobs {
  // Every StartProcess has this outcome (PROCESS_*), whether or not the
  // program's file exists; PROCESS_AS_FILES: started when the file exists.
  int startOutcome = PROCESS_AS_FILES;
  int32_t exitCode = 0;             // programs end with it
  bool exitCodeUnreadable = false;  // the exit code of ended programs cannot be read
  // Called for every program that starts (with or without a handle), while
  // it "runs": a test can let it act on the other fakes, or look at them.
  std::function<void(const ProcessLaunch&)> body;
};
extern ProcessKnobs processKnobs;

// StartProcess calls in order, whatever their outcome.
std::vector<ProcessLaunch> ProcessLaunches();
// Process handles handed out and not yet closed.
size_t OpenProcessHandles();
// Closes of something that was not an open process handle.
size_t BadProcessCloseCount();

}  // namespace platform::fake

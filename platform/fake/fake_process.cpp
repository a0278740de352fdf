// The fake process seam: programs "run" as a test-given body over the other
// fakes; starts, waits, exit codes and handles are logged and counted.
#include "platform/fake/fake_process.h"

#include <mutex>
#include <set>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_messages.h"
#include "platform/process.h"

namespace platform::fake {

ProcessKnobs processKnobs;

namespace {

struct ProcessState {
  std::mutex lock;
  std::vector<ProcessLaunch> launches;
  std::set<int*> openHandles;
  size_t badCloses = 0;
};

ProcessState& TheProcesses() {
  static ProcessState state;
  return state;
}

}  // namespace

void ResetProcesses() {
  ProcessState& state = TheProcesses();
  std::lock_guard<std::mutex> guard(state.lock);
  for (int* handle : state.openHandles) delete handle;
  state.openHandles.clear();
  processKnobs = ProcessKnobs{};
  state.launches.clear();
  state.badCloses = 0;
}

std::vector<ProcessLaunch> ProcessLaunches() {
  std::lock_guard<std::mutex> guard(TheProcesses().lock);
  return TheProcesses().launches;
}

size_t OpenProcessHandles() {
  std::lock_guard<std::mutex> guard(TheProcesses().lock);
  return TheProcesses().openHandles.size();
}

size_t BadProcessCloseCount() {
  std::lock_guard<std::mutex> guard(TheProcesses().lock);
  return TheProcesses().badCloses;
}

}  // namespace platform::fake

namespace platform {

void CloseProcessHandle(void* process) {
  fake::LogCall("process", "CloseProcessHandle");
  fake::ProcessState& state = fake::TheProcesses();
  std::lock_guard<std::mutex> guard(state.lock);
  auto found = state.openHandles.find(static_cast<int*>(process));
  if (found == state.openHandles.end()) {
    ++state.badCloses;
    return;
  }
  delete *found;
  state.openHandles.erase(found);
}

int StartProcess(const char* application, const char* commandLine, const char* currentFolder,
                 UniqueProcess& process) {
  fake::ProcessLaunch launch{application, commandLine, currentFolder};
  fake::LogCall("process", "StartProcess " + launch.application + " | " + launch.commandLine + " | " +
                    launch.currentFolder);
  fake::ProcessState& state = fake::TheProcesses();
  int outcome;
  std::function<void(const fake::ProcessLaunch&)> body;
  {
    std::lock_guard<std::mutex> guard(state.lock);
    state.launches.push_back(launch);
    outcome = fake::processKnobs.startOutcome;
    body = fake::processKnobs.body;
  }
  if (outcome == fake::PROCESS_AS_FILES) {
    outcome = fake::FileExists(application) ? PROCESS_STARTED : PROCESS_NOT_STARTED;
  }
  if (outcome == PROCESS_NOT_STARTED) return outcome;
  // The program runs to its end before the caller can wait for it.
  if (body) body(launch);
  if (outcome == PROCESS_STARTED) {
    std::lock_guard<std::mutex> guard(state.lock);
    int* handle = new int(0);
    state.openHandles.insert(handle);
    process.Reset(handle);
  }
  return outcome;
}

void WaitForProcess(const UniqueProcess& process) {
  (void)process;
  fake::LogCall("process", "WaitForProcess");
  fake::AnswerSentDuringWait();
}

int ReadProcessExitCode(const UniqueProcess& process, int32_t& exitCode) {
  (void)process;
  const int32_t code = fake::processKnobs.exitCode;
  if (fake::processKnobs.exitCodeUnreadable) {
    fake::LogCall("process", "ReadProcessExitCode unreadable");
    return 0;
  }
  fake::LogCall("process", "ReadProcessExitCode " + std::to_string(code));
  exitCode = code;
  return 1;
}

}  // namespace platform

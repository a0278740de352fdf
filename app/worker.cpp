// The install worker thread.
#include "app/worker.h"

#include "app/setup_log.h"
#include "platform/answers.h"
#include "platform/threads.h"
#include "setup/install.h"

namespace app {

int32_t StartInstallWorker(AppState& state, int wait) {
  state.result = RESULT_PENDING;
  state.busy.store(1);
  uint32_t threadId = 0;
  state.workerThread = platform::StartThread(InstallWorkerEntry, &state, threadId);
  if (state.workerThread == nullptr) return WORKER_NOT_STARTED;
  state.workerThreadId = threadId;
  if (wait != WORKER_WAIT) return platform::ANSWER_SUCCESS;

  platform::WaitForThread(state.workerThread);
  platform::CloseThread(state.workerThread);
  state.workerThread = nullptr;
  return state.result;
}

void InstallWorkerMain(AppState& state) {
  platform::LowerOwnThreadPriority();
  int comStarted = platform::InitializeThreadCom();
  const int32_t result = setup::RunInstall(state);
  LogResult("install", result);
  state.result = result;
  if (comStarted == platform::ANSWER_YES) platform::UninitializeThreadCom();
  // Sequentially consistent, so a reader that sees busy at 0 also sees the
  // result stored above.
  state.busy.store(0);
}

uint32_t InstallWorkerEntry(void* state) {
  InstallWorkerMain(*static_cast<AppState*>(state));
  return 0;
}

}  // namespace app

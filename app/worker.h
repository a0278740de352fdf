// The install worker thread: runs the install procedure off the window's
// thread and publishes its progress through busy and result.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "app/results.h"

namespace app {

// The value result holds from the start request until the procedure returns.
inline constexpr int32_t RESULT_PENDING = -1;
// The wait flag that makes StartInstallWorker wait for the install.
inline constexpr int WORKER_WAIT = 1;

// Sets result to -1 and busy to 1, then creates the worker thread running
// InstallWorkerMain on `state` (workerThread and workerThreadId record it).
// With `wait` equal to WORKER_WAIT: waits for the worker without a time
// limit, closes its handle, clears workerThread and returns the install's
// result. With any other `wait`: returns 0 at once; the handle stays in
// workerThread. When no thread can be created returns WORKER_NOT_STARTED and
// leaves busy at 1 and result at -1.
int32_t StartInstallWorker(AppState& state, int wait);

// The worker's body: lowers its own priority one step below normal,
// initialises COM, runs the install procedure and stores its result, ends
// COM when it began it, and clears busy as its very last access to `state`.
void InstallWorkerMain(AppState& state);

// Thread entry: `state` is the AppState; the exit code is always 0.
uint32_t InstallWorkerEntry(void* state);

}  // namespace app

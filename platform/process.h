// Platform seam: running a child program and collecting its exit code.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

namespace platform {

// Outcomes of StartProcess. "Started without a handle" is kept apart from
// "not started": the system may report success and still hand back no
// process handle, and the callers report the two differently.
inline constexpr int PROCESS_NOT_STARTED = 0;
inline constexpr int PROCESS_STARTED_WITHOUT_HANDLE = 1;
inline constexpr int PROCESS_STARTED = 2;

// Releases a process handle obtained from StartProcess. Use UniqueProcess
// rather than calling it.
void CloseProcessHandle(void* process);

// Owns one process handle; closes it when it goes out of scope.
using UniqueProcess = UniqueHandle<NullableHandleTraits<void*, CloseProcessHandle>>;

// Starts `application` (a full path) with exactly `commandLine` as its
// command line (the application's name is not prepended), in
// `currentFolder`, at normal priority, inheriting no handles, with the
// caller's environment and no window placement requested. The new thread's
// handle is closed at once. On PROCESS_STARTED `process` owns the process
// handle; on the other outcomes it is left empty.
int StartProcess(const char* application, const char* commandLine, const char* currentFolder,
                 UniqueProcess& process);

// Waits without a time limit until the process has ended. Meanwhile the
// messages that other threads and processes send to the calling thread's
// windows are answered, nothing posted is handled, and InSentMessageWait
// (messages.h) answers 1 on this thread; should that kind of wait fail, the
// rest of it is a plain wait.
void WaitForProcess(const UniqueProcess& process);

// Reads the ended process's exit code into `exitCode` and returns 1; returns
// 0 and leaves `exitCode` as it was when the code cannot be read.
int ReadProcessExitCode(const UniqueProcess& process, int32_t& exitCode);

}  // namespace platform

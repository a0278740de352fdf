// Platform seam: threads. Starting the worker thread and waiting for it,
// the calling thread's priority and a pause of it, and a thread's COM
// apartment.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// The body of a thread: runs with the argument given at creation; its
// return value becomes the thread's exit code.
using ThreadBody = uint32_t (*)(void* argument);

// Creates a thread with default security and stack size that starts running
// `body(argument)` at once. Returns its handle and stores its identifier in
// `threadId`, or returns null (and leaves `threadId` alone) when no thread
// could be created. The caller owns the handle: CloseThread releases it.
ThreadHandle StartThread(ThreadBody body, void* argument, uint32_t& threadId);

// Waits without a time limit until the thread has ended, answering sent
// messages meanwhile as WaitForProcess (process.h) does.
void WaitForThread(ThreadHandle thread);

// Releases a thread handle; the thread itself runs on.
void CloseThread(ThreadHandle thread);

// Lowers the calling thread's priority one step below normal.
void LowerOwnThreadPriority();

// Blocks the calling thread; no message is handled meanwhile.
void PauseThread(uint32_t milliseconds);

// Initialises COM for the calling thread. Returns 1 only when this call
// initialised it (S_OK); 0 when it was already initialised (S_FALSE) or
// could not be (a failure code). Only after 1 must UninitializeThreadCom
// follow.
int InitializeThreadCom();

// Ends the COM initialisation that InitializeThreadCom made.
void UninitializeThreadCom();

}  // namespace platform

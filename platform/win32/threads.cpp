// Win32 side of the thread seam: CreateThread, priority, Sleep and COM.
#include "platform/threads.h"

#include <windows.h>
#include <objbase.h>

#include <new>

#include "platform/win32/sent_message_wait.h"

namespace platform {

namespace {

// The portable body has the C++ calling convention, CreateThread wants
// WINAPI (stdcall on 32-bit x86): a trampoline record carries the body
// and its argument across.
struct ThreadLaunch {
  ThreadBody body;
  void* argument;
};

DWORD WINAPI ThreadTrampoline(LPVOID parameter) {
  ThreadLaunch launch = *static_cast<ThreadLaunch*>(parameter);
  delete static_cast<ThreadLaunch*>(parameter);
  return launch.body(launch.argument);
}

}  // namespace

ThreadHandle StartThread(ThreadBody body, void* argument, uint32_t& threadId) {
  ThreadLaunch* launch = new (std::nothrow) ThreadLaunch{body, argument};
  if (launch == nullptr) return nullptr;
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, ThreadTrampoline, launch, 0, &id);
  if (thread == nullptr) {
    delete launch;
    return nullptr;
  }
  threadId = id;
  return thread;
}

void WaitForThread(ThreadHandle thread) { win32::WaitAnsweringSentMessages(static_cast<HANDLE>(thread)); }

void CloseThread(ThreadHandle thread) { ::CloseHandle(static_cast<HANDLE>(thread)); }

void LowerOwnThreadPriority() { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

void PauseThread(uint32_t milliseconds) { ::Sleep(milliseconds); }

int InitializeThreadCom() { return ::CoInitialize(nullptr) == S_OK ? 1 : 0; }

void UninitializeThreadCom() { ::CoUninitialize(); }

}  // namespace platform

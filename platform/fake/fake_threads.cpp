// The fake thread seam: deferred, immediate or real threads, logged and
// counted; pauses logged only; COM initialisation answers what the test sets.
#include "platform/fake/fake_threads.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_messages.h"
#include "platform/threads.h"

namespace platform::fake {

ThreadKnobs threadKnobs;

namespace {

struct FakeThread {
  uint32_t id = 0;
  ThreadBody body = nullptr;
  void* argument = nullptr;
  bool ran = false;
  std::thread real;
};

struct ThreadState {
  std::mutex lock;
  uint32_t nextId = 1000;
  // Every thread ever started lives here until reset, so that a handle
  // closed before its real thread ended never leaves a dangling record.
  std::vector<std::unique_ptr<FakeThread>> threads;
  std::map<FakeThread*, bool> openHandles;
  size_t badUses = 0;
  int64_t lastExitCode = -1;
};

ThreadState& TheThreads() {
  static ThreadState state;
  return state;
}

void RunBody(FakeThread& thread) {
  uint32_t code = thread.body(thread.argument);
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  TheThreads().lastExitCode = code;
}

// Takes the deferred body of `thread` for running, once.
bool ClaimDeferred(FakeThread& thread) {
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  if (thread.ran || thread.real.joinable()) return false;
  thread.ran = true;
  return true;
}

bool IsOpen(void* handle) {
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  auto found = TheThreads().openHandles.find(static_cast<FakeThread*>(handle));
  if (found != TheThreads().openHandles.end()) return true;
  ++TheThreads().badUses;
  return false;
}

}  // namespace

void JoinThreads() {
  for (auto& thread : TheThreads().threads) {
    if (thread->real.joinable()) thread->real.join();
  }
}

void ResetThreads() {
  JoinThreads();
  ThreadState& state = TheThreads();
  std::lock_guard<std::mutex> guard(state.lock);
  state.threads.clear();
  state.openHandles.clear();
  threadKnobs = ThreadKnobs{};
  state.nextId = 1000;
  state.badUses = 0;
  state.lastExitCode = -1;
}

size_t RunPendingThreads() {
  std::vector<FakeThread*> pending;
  {
    std::lock_guard<std::mutex> guard(TheThreads().lock);
    for (auto& thread : TheThreads().threads) pending.push_back(thread.get());
  }
  size_t ran = 0;
  for (FakeThread* thread : pending) {
    if (ClaimDeferred(*thread)) {
      RunBody(*thread);
      ++ran;
    }
  }
  return ran;
}

size_t PendingThreads() {
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  size_t count = 0;
  for (auto& thread : TheThreads().threads) {
    if (!thread->ran && !thread->real.joinable()) ++count;
  }
  return count;
}

size_t OpenThreadHandles() {
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  return TheThreads().openHandles.size();
}

size_t BadThreadHandleUses() {
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  return TheThreads().badUses;
}

int64_t LastThreadExitCode() {
  std::lock_guard<std::mutex> guard(TheThreads().lock);
  return TheThreads().lastExitCode;
}

}  // namespace platform::fake

namespace platform {

ThreadHandle StartThread(ThreadBody body, void* argument, uint32_t& threadId) {
  fake::ThreadState& state = fake::TheThreads();
  fake::FakeThread* thread = nullptr;
  fake::ThreadMode mode;
  {
    std::lock_guard<std::mutex> guard(state.lock);
    if (!fake::threadKnobs.failCreation) {
      state.threads.push_back(std::make_unique<fake::FakeThread>());
      thread = state.threads.back().get();
      thread->id = state.nextId++;
      thread->body = body;
      thread->argument = argument;
      thread->ran = fake::threadKnobs.mode != fake::ThreadMode::Deferred;
      state.openHandles[thread] = true;
    }
    mode = fake::threadKnobs.mode;
  }
  if (thread == nullptr) {
    fake::LogCall("threads", "StartThread failed");
    return nullptr;
  }
  fake::LogCall("threads", "StartThread " + std::to_string(thread->id));
  threadId = thread->id;
  if (mode == fake::ThreadMode::Immediate) {
    fake::RunBody(*thread);
  } else if (mode == fake::ThreadMode::Real) {
    std::thread real([thread] { fake::RunBody(*thread); });
    std::lock_guard<std::mutex> guard(state.lock);
    thread->real = std::move(real);
  }
  return thread;
}

void WaitForThread(ThreadHandle handle) {
  if (!fake::IsOpen(handle)) {
    fake::LogCall("threads", "WaitForThread bad");
    return;
  }
  auto* thread = static_cast<fake::FakeThread*>(handle);
  fake::LogCall("threads", "WaitForThread " + std::to_string(thread->id));
  fake::AnswerSentDuringWait();
  if (thread->real.joinable()) {
    thread->real.join();
  } else if (fake::ClaimDeferred(*thread)) {
    fake::RunBody(*thread);
  }
}

void CloseThread(ThreadHandle handle) {
  if (!fake::IsOpen(handle)) {
    fake::LogCall("threads", "CloseThread bad");
    return;
  }
  auto* thread = static_cast<fake::FakeThread*>(handle);
  fake::LogCall("threads", "CloseThread " + std::to_string(thread->id));
  std::lock_guard<std::mutex> guard(fake::TheThreads().lock);
  fake::TheThreads().openHandles.erase(thread);
}

void LowerOwnThreadPriority() { fake::LogCall("threads", "LowerOwnThreadPriority"); }

void PauseThread(uint32_t milliseconds) { fake::LogCall("threads", "PauseThread " + std::to_string(milliseconds)); }

int InitializeThreadCom() {
  fake::LogCall("threads", "InitializeThreadCom");
  return fake::threadKnobs.comInitResult;
}

void UninitializeThreadCom() { fake::LogCall("threads", "UninitializeThreadCom"); }

}  // namespace platform

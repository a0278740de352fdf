// Waits that answer sent messages, and the flag the window procedure reads
// while one runs.
#include "platform/win32/sent_message_wait.h"

#include <atomic>

#include "platform/messages.h"

namespace platform::win32 {

namespace {

// The threads now inside such a wait, by identifier (0: free slot). At most
// two wait at once: the window's thread for the worker, the worker for the
// driver-setup tool. A table rather than thread-local storage, which the
// 32-bit build would only get through the threads library.
constexpr int MAX_WAITING_THREADS = 4;
std::atomic<DWORD> waitingThreads[MAX_WAITING_THREADS];

// A thread that has not looked at its queue for five seconds counts as hung:
// the system marks its windows "Not responding", puts a ghost in their place
// and offers the user to end the program, which in the middle of a removal
// would leave half a product. The wait therefore looks well within that
// time, even when nothing was sent.
constexpr DWORD QUEUE_LOOK_PERIOD_MS = 1000;

// Takes a free slot for the calling thread; -1 when none is free.
int MarkWaiting(DWORD thread) {
  for (int i = 0; i < MAX_WAITING_THREADS; ++i) {
    DWORD free = 0;
    if (waitingThreads[i].compare_exchange_strong(free, thread)) return i;
  }
  return -1;
}

}  // namespace

void WaitAnsweringSentMessages(HANDLE object) {
  const int slot = MarkWaiting(::GetCurrentThreadId());
  // Unmarked, a handler of this thread's windows could run in the middle of
  // the one that waits: better the wait that answers nothing.
  if (slot < 0) {
    ::WaitForSingleObject(object, INFINITE);
    return;
  }
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &object, FALSE, QUEUE_LOOK_PERIOD_MS, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1 && woken != WAIT_TIMEOUT) {
      ::WaitForSingleObject(object, INFINITE);
      break;
    }
    // Peeking delivers the waiting sent messages to their procedures and, on
    // a time-out, shows the system that the thread still looks at its queue.
    // The filter matches nothing posted (nor input, paint or timer), so
    // nothing is taken from the queue or handled before the wait ends.
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  waitingThreads[slot].store(0);
}

}  // namespace platform::win32

namespace platform {

int InSentMessageWait() {
  const DWORD thread = ::GetCurrentThreadId();
  for (const std::atomic<DWORD>& waiting : win32::waitingThreads) {
    if (waiting.load() == thread) return 1;
  }
  return 0;
}

}  // namespace platform

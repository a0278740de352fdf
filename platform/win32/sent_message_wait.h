// The waits of the process and thread seams: they keep answering messages
// sent to the calling thread's windows, so that a program which sends to
// every top-level window (SendMessage to HWND_BROADCAST, no time limit) and
// is itself waited for cannot hold both sides for ever.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Waits without a time limit until `object` is signalled. Messages that
// other threads and processes send to the calling thread are answered
// meanwhile (their window procedures run inside this call, with
// InSentMessageWait answering 1); posted, input, paint and timer messages
// stay queued. The thread also looks at its queue every second without
// taking anything from it, so that the system never counts its windows as
// not responding during a long wait. When the message-answering wait fails,
// or this thread cannot be marked as waiting, the wait goes on as a plain
// WaitForSingleObject.
void WaitAnsweringSentMessages(HANDLE object);

}  // namespace platform::win32

// Platform seam: the calling thread's messages. Posting a message or a
// command to a window, the message loop and the request that ends it, and
// whether the thread is inside one of the waits that keep answering the
// messages sent to its windows.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// Posts `message` to `window` without waiting for it; a null window posts to
// the calling thread's own queue. 1 when queued, else 0.
int PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);

// Posts a command message (WM_COMMAND) to `window` without waiting for it:
// the first parameter is `command` (a 16-bit identifier, high word 0), the
// second is `code`. A null window posts to the calling thread's own queue,
// as the system does. Returns 1 when the message was queued, else 0.
int PostCommand(WindowHandle window, uint16_t command, intptr_t code);

// Asks the calling thread's message loop to end with `exitCode`: the loop
// ends once every message already posted has been handled. A later request
// replaces the code of an earlier one.
void EndMessageLoop(int32_t exitCode);

// Fetches every message of the calling thread (any window, any number) and
// hands it to its window's procedure, until the end is asked for: stores the
// code of that request in `quitCode` and answers true. Answers false, with
// `quitCode` untouched, when the system could not fetch a message.
[[nodiscard]] bool RunMessageLoop(int32_t& quitCode);

// 1 while the calling thread is inside WaitForProcess or WaitForThread, else
// 0. Those waits keep answering the messages that other threads and
// processes send to the thread's windows (a program that sends to every
// top-level window and waits for the answers must not wait for ever), look
// at the queue often enough that the system never counts the thread's
// windows as not responding, and handle nothing posted meanwhile; a window
// procedure that finds 1 here is called in the middle of one of its own
// handlers.
int InSentMessageWait();

}  // namespace platform

// Control of the fake thread messages (messages.h): one queue, to which
// PostWindowMessage and PostCommand (as WM_COMMAND, 0x111, with the command
// as first parameter) add in the order they are called, and a message loop
// that hands them to the windows' procedures (fake_window.h). After
// fake::Reset the queue is empty, no end was asked for, nothing was posted,
// and posting succeeds.
//
// Call log lines (windows as numbers):
//   "PostCommand WINDOW COMMAND CODE" (0 for no window),
//   "PostWindowMessage W MESSAGE FIRST SECOND", "EndMessageLoop CODE",
//   "RunMessageLoop", "RunMessageLoop ends CODE", "RunMessageLoop stalled",
//   "RunMessageLoop failed",
//   "Dispatch W MESSAGE FIRST SECOND" (a queued message handed to its procedure)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/handles.h"

namespace platform::fake {

// The quit code RunMessageLoop gives when the queue is empty and no end was
// asked for: a real loop would wait for ever.
inline constexpr int32_t LOOP_STALLED = INT32_MIN;

struct PostedCommand {
  WindowHandle window;
  uint16_t command;
  intptr_t code;
};

// A message in the queue.
struct QueuedMessage {
  WindowHandle window;
  uint32_t message;
  uintptr_t first;
  intptr_t second;
};

// What a test sets; fake::Reset puts back these values.
struct MessageKnobs {
  // What PostCommand answers (1 queued, 0 not); the command joins the queue
  // either way.
  int postResult = 1;
  // RunMessageLoop fails at once, as when the system cannot fetch a message.
  bool failLoop = false;
};
extern MessageKnobs messageKnobs;

std::vector<PostedCommand> PostedCommands();
// Messages still queued, oldest first.
std::vector<QueuedMessage> QueuedMessages();
// 1 when EndMessageLoop was called since the reset; its last code.
bool EndRequested();
int32_t EndCode();

// Hands queued messages to their windows' procedures, oldest first, until
// the queue is empty or an end of the loop has been asked for, as the
// message loop of a message box does (it stops at the end request, which
// takes the box away). Answers how many were dispatched. A test calls this
// from a call observer on "ShowMessageBox" lines to let messages arrive
// while a box is up.
size_t DispatchQueuedMessages();

// Messages that another program sends during the next WaitForProcess or
// WaitForThread (fake_process.h, fake_threads.h): that wait hands them, in
// order, to their windows' procedures while InSentMessageWait answers 1, and
// keeps the procedures' answers for AnswersDuringWait. Later waits send
// nothing.
void SendDuringNextWait(std::vector<QueuedMessage> messages);
std::vector<intptr_t> AnswersDuringWait();
// Called by the fake waits.
void AnswerSentDuringWait();

}  // namespace platform::fake

// The fake of the thread's messages (messages.h): one queue for posted
// messages and commands, and a loop that dispatches them to the windows'
// procedures through the window fake.
#include "platform/fake/fake_messages.h"

#include <deque>
#include <mutex>
#include <string>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/fake/fake_window.h"
#include "platform/messages.h"

namespace platform::fake {

MessageKnobs messageKnobs;

namespace {

// The system's number of the message a posted command arrives as.
constexpr uint32_t COMMAND_MESSAGE = 0x0111;

struct MessageState {
  // Never held while a procedure runs.
  std::mutex lock;
  std::vector<PostedCommand> posted;
  std::deque<QueuedMessage> queue;
  bool endRequested = false;
  int32_t endCode = 0;
  std::vector<QueuedMessage> sentDuringNextWait;
  std::vector<intptr_t> answersDuringWait;
};

MessageState& TheMessages() {
  static MessageState state;
  return state;
}

// Depth of the fake waits delivering sent messages on this thread.
thread_local int sentMessageWaits = 0;

std::string Number(const void* handle) { return std::to_string(reinterpret_cast<uintptr_t>(handle)); }

// Takes the oldest message; false when the queue is empty or, with
// `stopAtEnd`, when an end of the loop is pending.
bool TakeMessage(QueuedMessage& message, bool stopAtEnd) {
  MessageState& state = TheMessages();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.queue.empty() || (stopAtEnd && state.endRequested)) return false;
  message = state.queue.front();
  state.queue.pop_front();
  return true;
}

void Dispatch(const QueuedMessage& message) {
  LogCall("messages", "Dispatch " + Number(message.window) + " " + std::to_string(message.message) + " " +
                          std::to_string(message.first) + " " + std::to_string(message.second));
  // A message for no window, or for a window that is gone, is dropped.
  SendToWindow(message.window, message.message, message.first, message.second);
}

}  // namespace

void ResetMessages() {
  MessageState& state = TheMessages();
  std::lock_guard<std::mutex> guard(state.lock);
  messageKnobs = MessageKnobs{};
  state.posted.clear();
  state.queue.clear();
  state.endRequested = false;
  state.endCode = 0;
  state.sentDuringNextWait.clear();
  state.answersDuringWait.clear();
}

std::vector<PostedCommand> PostedCommands() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return TheMessages().posted;
}

std::vector<QueuedMessage> QueuedMessages() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return std::vector<QueuedMessage>(TheMessages().queue.begin(), TheMessages().queue.end());
}

bool EndRequested() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return TheMessages().endRequested;
}

int32_t EndCode() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return TheMessages().endCode;
}

size_t DispatchQueuedMessages() {
  size_t dispatched = 0;
  QueuedMessage message{};
  while (TakeMessage(message, true)) {
    Dispatch(message);
    ++dispatched;
  }
  return dispatched;
}

void SendDuringNextWait(std::vector<QueuedMessage> messages) {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().sentDuringNextWait = std::move(messages);
}

std::vector<intptr_t> AnswersDuringWait() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return TheMessages().answersDuringWait;
}

void AnswerSentDuringWait() {
  std::vector<QueuedMessage> messages;
  {
    std::lock_guard<std::mutex> guard(TheMessages().lock);
    messages.swap(TheMessages().sentDuringNextWait);
  }
  ++sentMessageWaits;
  for (const QueuedMessage& message : messages) {
    const intptr_t answer = SendToWindow(message.window, message.message, message.first, message.second);
    std::lock_guard<std::mutex> guard(TheMessages().lock);
    TheMessages().answersDuringWait.push_back(answer);
  }
  --sentMessageWaits;
}

}  // namespace platform::fake

namespace platform {

using fake::Number;
using fake::TheMessages;

int PostCommand(WindowHandle window, uint16_t command, intptr_t code) {
  fake::LogCall("messages", "PostCommand " + Number(window) + " " + std::to_string(command) + " " +
                                std::to_string(code));
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().posted.push_back(fake::PostedCommand{window, command, code});
  TheMessages().queue.push_back(fake::QueuedMessage{window, fake::COMMAND_MESSAGE, command, code});
  return fake::messageKnobs.postResult;
}

int PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  fake::LogCall("messages", "PostWindowMessage " + Number(window) + " " + std::to_string(message) + " " +
                                std::to_string(first) + " " + std::to_string(second));
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().queue.push_back(fake::QueuedMessage{window, message, first, second});
  return 1;
}

void EndMessageLoop(int32_t exitCode) {
  fake::LogCall("messages", "EndMessageLoop " + std::to_string(exitCode));
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().endRequested = true;
  TheMessages().endCode = exitCode;
}

bool RunMessageLoop(int32_t& quitCode) {
  fake::LogCall("messages", "RunMessageLoop");
  if (fake::messageKnobs.failLoop) {
    fake::LogCall("messages", "RunMessageLoop failed");
    return false;
  }
  fake::QueuedMessage message{};
  for (;;) {
    // Posted messages come before the end request, as with the system.
    if (fake::TakeMessage(message, false)) {
      fake::Dispatch(message);
      continue;
    }
    int32_t code = 0;
    {
      std::lock_guard<std::mutex> guard(TheMessages().lock);
      if (!TheMessages().endRequested) break;
      TheMessages().endRequested = false;
      code = TheMessages().endCode;
    }
    fake::LogCall("messages", "RunMessageLoop ends " + std::to_string(code));
    quitCode = code;
    return true;
  }
  fake::LogCall("messages", "RunMessageLoop stalled");
  quitCode = fake::LOOP_STALLED;
  return true;
}

int InSentMessageWait() { return fake::sentMessageWaits > 0 ? 1 : 0; }

}  // namespace platform

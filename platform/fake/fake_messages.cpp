// The fakes of PostCommand and the message box: records posted commands and
// message boxes.
#include "platform/fake/fake_messages.h"

#include <cstdio>
#include <mutex>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/message_box.h"
#include "platform/messages.h"

namespace platform::fake {

namespace {

struct MessageState {
  std::mutex lock;
  int postResult = 1;
  int boxResult = 1;
  std::vector<PostedCommand> posted;
  std::vector<ShownMessageBox> boxes;
};

MessageState& TheMessages() {
  static MessageState state;
  return state;
}

std::string WindowNumber(WindowHandle window) {
  return std::to_string(reinterpret_cast<uintptr_t>(window));
}

}  // namespace

void ResetMessages() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().postResult = 1;
  TheMessages().boxResult = 1;
  TheMessages().posted.clear();
  TheMessages().boxes.clear();
}

void SetPostResult(int result) {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().postResult = result;
}

void SetMessageBoxResult(int result) {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  TheMessages().boxResult = result;
}

std::vector<PostedCommand> PostedCommands() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return TheMessages().posted;
}

std::vector<ShownMessageBox> ShownMessageBoxes() {
  std::lock_guard<std::mutex> guard(TheMessages().lock);
  return TheMessages().boxes;
}

}  // namespace platform::fake

namespace platform {

int PostCommand(WindowHandle window, uint16_t command, intptr_t code) {
  fake::LogCall("messages", "PostCommand " + fake::WindowNumber(window) + " " + std::to_string(command) + " " +
                    std::to_string(code));
  std::lock_guard<std::mutex> guard(fake::TheMessages().lock);
  fake::TheMessages().posted.push_back(fake::PostedCommand{window, command, code});
  return fake::TheMessages().postResult;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%X", static_cast<unsigned>(style));
  fake::LogCall("message_box", "ShowMessageBox " + fake::WindowNumber(owner) + " " + styleText + " " + caption +
                    " | " + text);
  std::lock_guard<std::mutex> guard(fake::TheMessages().lock);
  fake::TheMessages().boxes.push_back(fake::ShownMessageBox{owner, text, caption, style});
  return fake::TheMessages().boxResult;
}

}  // namespace platform

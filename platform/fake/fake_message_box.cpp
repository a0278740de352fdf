// The fake of the message box (message_box.h): boxes recorded, answering
// what the test set.
#include "platform/fake/fake_message_box.h"

#include <cstdio>
#include <mutex>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"
#include "platform/message_box.h"

namespace platform::fake {

MessageBoxKnobs messageBoxKnobs;

namespace {

struct BoxState {
  std::mutex lock;
  std::vector<ShownMessageBox> boxes;
};

BoxState& TheBoxes() {
  static BoxState state;
  return state;
}

}  // namespace

void ResetMessageBoxes() {
  std::lock_guard<std::mutex> guard(TheBoxes().lock);
  messageBoxKnobs = MessageBoxKnobs{};
  TheBoxes().boxes.clear();
}

std::vector<ShownMessageBox> ShownMessageBoxes() {
  std::lock_guard<std::mutex> guard(TheBoxes().lock);
  return TheBoxes().boxes;
}

}  // namespace platform::fake

namespace platform {

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%X", static_cast<unsigned>(style));
  fake::LogCall("message_box", "ShowMessageBox " + std::to_string(reinterpret_cast<uintptr_t>(owner)) + " " +
                                   styleText + " " + caption + " | " + text);
  std::lock_guard<std::mutex> guard(fake::TheBoxes().lock);
  fake::TheBoxes().boxes.push_back(fake::ShownMessageBox{owner, text, caption, style});
  return fake::messageBoxKnobs.result;
}

}  // namespace platform

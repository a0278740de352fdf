// Control of the fake of PostCommand (messages.h) and of the message box
// seam (message_box.h) in the host build: posted commands and message boxes
// are recorded; a box "returns" at once. The rest of messages.h is the
// window fake's (fake_window.h), whose queue takes in these commands.
//
// Seam log lines (fake_seam_log.h):
//   "PostCommand WINDOW COMMAND CODE"  (WINDOW as a number, 0 for none)
//   "ShowMessageBox OWNER STYLE CAPTION | TEXT"  (STYLE in hex, e.g. 0x1030)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform::fake {

struct PostedCommand {
  WindowHandle window;
  uint16_t command;
  intptr_t code;
};

struct ShownMessageBox {
  WindowHandle owner;
  std::string text;
  std::string caption;
  uint32_t style;
};

// After fake::Reset nothing was posted or shown; posting succeeds, boxes
// answer 1 (OK).
// PostCommand answers `result` (1 queued, 0 not) from now on.
void SetPostResult(int result);
// ShowMessageBox answers `result` from now on.
void SetMessageBoxResult(int result);

std::vector<PostedCommand> PostedCommands();
std::vector<ShownMessageBox> ShownMessageBoxes();

}  // namespace platform::fake

// Control of the fake message box (message_box.h): boxes are recorded and
// "return" at once. After fake::Reset none was shown and boxes answer 1
// (OK). Call log line: "ShowMessageBox OWNER STYLE CAPTION | TEXT" (STYLE in
// hex, e.g. 0x1030).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform::fake {

struct ShownMessageBox {
  WindowHandle owner;
  std::string text;
  std::string caption;
  uint32_t style;
};

// What a test sets; fake::Reset puts back these values.
struct MessageBoxKnobs {
  int result = 1;  // what ShowMessageBox answers
};
extern MessageBoxKnobs messageBoxKnobs;

std::vector<ShownMessageBox> ShownMessageBoxes();

}  // namespace platform::fake

// Control of the fake system errors (system_error.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace platform::fake {

// What a test sets; fake::Reset puts back these values.
struct SystemErrorKnobs {
  uint32_t lastError = 0;                  // what LastSystemError answers
  std::map<uint32_t, std::string> texts;  // the messages of the codes listed; others have none
};
extern SystemErrorKnobs systemErrorKnobs;

}  // namespace platform::fake

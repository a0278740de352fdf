// Control of the fake clock (clock.h).
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace platform::fake {

// What a test sets; fake::Reset puts back these values and the counter at 0.
struct ClockKnobs {
  UtcTime time{2026, 12, 9, 1, 2, 3, 456};  // what ReadUtcTime answers
  uint32_t millisecondStep = 0;              // each MillisecondCounter read moves it on so far
};
extern ClockKnobs clockKnobs;

}  // namespace platform::fake

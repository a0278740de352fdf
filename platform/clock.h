// Platform seam: the clock. The current time in UTC and a millisecond
// counter for durations.
#pragma once

#include <cstdint>

namespace platform {

// The current time in UTC.
struct UtcTime {
  uint16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t millisecond;
};
void ReadUtcTime(UtcTime& time);

// A millisecond counter for durations (it wraps after 49 days; differences
// stay right across one wrap).
uint32_t MillisecondCounter();

}  // namespace platform

// The fake of the clock (clock.h): a set time and a counter moving a set
// step per read.
#include "platform/fake/fake_clock.h"

#include <mutex>

#include "platform/clock.h"
#include "platform/fake/fake_parts.h"

namespace platform::fake {

namespace {

struct ClockState {
  std::mutex lock;
  UtcTime time{2026, 12, 9, 1, 2, 3, 456};
  uint32_t counter = 0;
  uint32_t step = 0;
};

ClockState& TheClock() {
  static ClockState state;
  return state;
}

}  // namespace

void ResetClock() {
  std::lock_guard<std::mutex> guard(TheClock().lock);
  TheClock().time = UtcTime{2026, 12, 9, 1, 2, 3, 456};
  TheClock().counter = 0;
  TheClock().step = 0;
}

void SetUtcTime(const UtcTime& time) {
  std::lock_guard<std::mutex> guard(TheClock().lock);
  TheClock().time = time;
}

void SetMillisecondStep(uint32_t step) {
  std::lock_guard<std::mutex> guard(TheClock().lock);
  TheClock().step = step;
}

}  // namespace platform::fake

namespace platform {

void ReadUtcTime(UtcTime& time) {
  std::lock_guard<std::mutex> guard(fake::TheClock().lock);
  time = fake::TheClock().time;
}

uint32_t MillisecondCounter() {
  std::lock_guard<std::mutex> guard(fake::TheClock().lock);
  const uint32_t now = fake::TheClock().counter;
  fake::TheClock().counter += fake::TheClock().step;
  return now;
}

}  // namespace platform

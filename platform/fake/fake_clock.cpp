// The fake of the clock (clock.h): a set time and a counter moving a set
// step per read.
#include "platform/fake/fake_clock.h"

#include <atomic>

#include "platform/fake/fake_parts.h"

namespace platform::fake {

ClockKnobs clockKnobs;

namespace {

// Read from the worker's thread too.
std::atomic<uint32_t> counter{0};

}  // namespace

void ResetClock() {
  clockKnobs = ClockKnobs{};
  counter = 0;
}

}  // namespace platform::fake

namespace platform {

void ReadUtcTime(UtcTime& time) { time = fake::clockKnobs.time; }

uint32_t MillisecondCounter() { return fake::counter.fetch_add(fake::clockKnobs.millisecondStep); }

}  // namespace platform

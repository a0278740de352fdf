// Control of the fake clock (clock.h). After fake::Reset the time is
// 2026-12-09T01:02:03.456Z and the counter is at 0, moving 0 per read.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace platform::fake {

void SetUtcTime(const UtcTime& time);
// Each MillisecondCounter read moves the counter on by `step`.
void SetMillisecondStep(uint32_t step);

}  // namespace platform::fake

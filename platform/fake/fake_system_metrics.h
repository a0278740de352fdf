// Control of the fake frame metrics (system_metrics.h). After fake::Reset
// the non-client metrics answer border 1, caption 20, padded border 4, and
// every system metric answers 0. Call log lines: "QueryNonClientMetrics",
// "GetSystemMetric INDEX".
#pragma once

#include <cstdint>

#include "platform/system_metrics.h"

namespace platform::fake {

void SetNonClientMetrics(NonClientMetrics metrics);
void RefuseNonClientMetrics();
void SetSystemMetric(int32_t index, int32_t value);

}  // namespace platform::fake

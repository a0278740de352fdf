// Control of the fake frame metrics (system_metrics.h). After fake::Reset
// the non-client metrics answer border 1, caption 20, padded border 4, and
// every system metric answers 0. Call log lines: "QueryNonClientMetrics",
// "GetSystemMetric INDEX".
#pragma once

#include <cstdint>
#include <map>

#include "platform/system_metrics.h"

namespace platform::fake {

// What a test sets; fake::Reset puts back these values.
struct MetricsKnobs {
  NonClientMetrics nonClient{1, 20, 4};
  bool nonClientRefused = false;
  std::map<int32_t, int32_t> systemMetrics;  // by index; others answer 0
};
extern MetricsKnobs metricsKnobs;

}  // namespace platform::fake

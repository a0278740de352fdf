// The fake of the frame metrics (system_metrics.h): the answers a test set.
#include "platform/fake/fake_system_metrics.h"

#include <string>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"

namespace platform::fake {

MetricsKnobs metricsKnobs;

void ResetMetrics() { metricsKnobs = MetricsKnobs{}; }

}  // namespace platform::fake

namespace platform {

int QueryNonClientMetrics(NonClientMetrics& metrics) {
  fake::LogCall("system_metrics", "QueryNonClientMetrics");
  if (fake::metricsKnobs.nonClientRefused) return 0;
  metrics = fake::metricsKnobs.nonClient;
  return 1;
}

int32_t GetSystemMetric(int32_t index) {
  fake::LogCall("system_metrics", "GetSystemMetric " + std::to_string(index));
  auto found = fake::metricsKnobs.systemMetrics.find(index);
  return found == fake::metricsKnobs.systemMetrics.end() ? 0 : found->second;
}

}  // namespace platform

// The fake of the frame metrics (system_metrics.h): the answers a test set.
#include "platform/fake/fake_system_metrics.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/fake/fake_parts.h"
#include "platform/fake/fake_seam_log.h"

namespace platform::fake {

namespace {

struct MetricsState {
  std::mutex lock;
  bool metricsRefused = false;
  NonClientMetrics metrics{1, 20, 4};
  std::map<int32_t, int32_t> systemMetrics;
};

MetricsState& TheMetrics() {
  static MetricsState state;
  return state;
}

}  // namespace

void ResetMetrics() {
  std::lock_guard<std::mutex> guard(TheMetrics().lock);
  TheMetrics().metricsRefused = false;
  TheMetrics().metrics = NonClientMetrics{1, 20, 4};
  TheMetrics().systemMetrics.clear();
}

void SetNonClientMetrics(NonClientMetrics metrics) {
  std::lock_guard<std::mutex> guard(TheMetrics().lock);
  TheMetrics().metricsRefused = false;
  TheMetrics().metrics = metrics;
}

void RefuseNonClientMetrics() {
  std::lock_guard<std::mutex> guard(TheMetrics().lock);
  TheMetrics().metricsRefused = true;
}

void SetSystemMetric(int32_t index, int32_t value) {
  std::lock_guard<std::mutex> guard(TheMetrics().lock);
  TheMetrics().systemMetrics[index] = value;
}

}  // namespace platform::fake

namespace platform {

int QueryNonClientMetrics(NonClientMetrics& metrics) {
  fake::LogCall("system_metrics", "QueryNonClientMetrics");
  std::lock_guard<std::mutex> guard(fake::TheMetrics().lock);
  if (fake::TheMetrics().metricsRefused) return 0;
  metrics = fake::TheMetrics().metrics;
  return 1;
}

int32_t GetSystemMetric(int32_t index) {
  fake::LogCall("system_metrics", "GetSystemMetric " + std::to_string(index));
  std::lock_guard<std::mutex> guard(fake::TheMetrics().lock);
  auto found = fake::TheMetrics().systemMetrics.find(index);
  return found == fake::TheMetrics().systemMetrics.end() ? 0 : found->second;
}

}  // namespace platform

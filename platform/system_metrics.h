// Platform seam: the system's measures of window frames, from the
// non-client metrics record and from single system metrics.
#pragma once

#include <cstdint>

namespace platform {

// The size the non-client metrics record is asked with: the layout that
// ends with the padded-border width.
inline constexpr uint32_t NONCLIENT_METRICS_SIZE = 344;

struct NonClientMetrics {
  int32_t borderWidth;
  int32_t captionHeight;
  int32_t paddedBorderWidth;
};

// Asks the system for the non-client metrics in a record of
// NONCLIENT_METRICS_SIZE bytes. 1 with `metrics` filled, 0 when refused.
int QueryNonClientMetrics(NonClientMetrics& metrics);

// System metric indexes, by the system's own numbers.
inline constexpr int32_t METRIC_CAPTION_HEIGHT = 4;      // SM_CYCAPTION
inline constexpr int32_t METRIC_FIXED_FRAME_WIDTH = 7;   // SM_CXFIXEDFRAME
inline constexpr int32_t METRIC_PADDED_BORDER = 92;      // SM_CXPADDEDBORDER

// One system metric; 0 when the system does not know the index.
int32_t GetSystemMetric(int32_t index);

}  // namespace platform

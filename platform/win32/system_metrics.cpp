// Win32 side of the frame metrics: SystemParametersInfoA and
// GetSystemMetrics.
#include "platform/system_metrics.h"

#include <windows.h>

#include <cstring>

namespace platform {

static_assert(METRIC_CAPTION_HEIGHT == SM_CYCAPTION && METRIC_FIXED_FRAME_WIDTH == SM_CXFIXEDFRAME &&
              METRIC_PADDED_BORDER == SM_CXPADDEDBORDER);
// The record asked for must be the one that ends with the padded-border
// width; a build for a system older than Vista would declare a shorter one.
static_assert(sizeof(NONCLIENTMETRICSA) == NONCLIENT_METRICS_SIZE);

int QueryNonClientMetrics(NonClientMetrics& metrics) {
  NONCLIENTMETRICSA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NONCLIENT_METRICS_SIZE;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, NONCLIENT_METRICS_SIZE, &record, 0)) return 0;
  metrics.borderWidth = record.iBorderWidth;
  metrics.captionHeight = record.iCaptionHeight;
  metrics.paddedBorderWidth = record.iPaddedBorderWidth;
  return 1;
}

int32_t GetSystemMetric(int32_t index) { return ::GetSystemMetrics(index); }

}  // namespace platform

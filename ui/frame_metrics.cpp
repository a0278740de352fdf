// The window's frame metrics.
#include "ui/frame_metrics.h"

#include "platform/answers.h"
#include "platform/system_metrics.h"

namespace ui {

void GetFrameMetrics(int32_t* border, int32_t* caption) {
  platform::NonClientMetrics metrics{};
  int32_t borderWidth = 0;
  int32_t captionHeight = 0;
  if (platform::QueryNonClientMetrics(metrics) == platform::ANSWER_YES) {
    borderWidth = metrics.borderWidth + metrics.paddedBorderWidth;
    captionHeight = metrics.captionHeight;
  } else {
    borderWidth = platform::GetSystemMetric(platform::METRIC_FIXED_FRAME_WIDTH) +
                  platform::GetSystemMetric(platform::METRIC_PADDED_BORDER);
    captionHeight = platform::GetSystemMetric(platform::METRIC_CAPTION_HEIGHT);
  }
  if (border != nullptr) *border = borderWidth;
  if (caption != nullptr) *caption = captionHeight;
}

}  // namespace ui

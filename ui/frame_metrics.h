// The width of the window's frame and the height of its caption, which the
// window adds around the picture when it sizes itself.
#pragma once

#include <cstdint>

namespace ui {

// Fills `border` with the frame border width and `caption` with the caption
// height; a null output is left alone. From the system's non-client metrics
// (border width plus padded border width, caption height); when the system
// refuses those, from the single metrics: fixed frame width plus padded
// border, and caption height.
void GetFrameMetrics(int32_t* border, int32_t* caption);

}  // namespace ui

// The window's geometry, colours and fonts. Every position follows from the
// background picture's width W and height H, except the top of the
// operating-system line.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/canvas.h"

namespace ui {

// The background picture: bitmap resource 101, designed 900 by 424.
inline constexpr uint32_t BACKGROUND_BITMAP_ID = 101;
inline constexpr int32_t DESIGN_BITMAP_WIDTH = 900;
inline constexpr int32_t DESIGN_BITMAP_HEIGHT = 424;

// The white information panel under the picture.
inline constexpr int32_t PANEL_HEIGHT = 100;

// Colours, 0xBBGGRR.
inline constexpr platform::Colour COLOUR_BLACK = 0x000000;
inline constexpr platform::Colour COLOUR_WHITE = 0xFFFFFF;
inline constexpr platform::Colour COLOUR_GREY = 0x646464;

// The two fonts: face, cell height, weight.
inline constexpr const char* FONT_FACE = "Arial";
inline constexpr int32_t SMALL_FONT_HEIGHT = 16;
inline constexpr int32_t SMALL_FONT_WEIGHT = 800;
inline constexpr int32_t LARGE_FONT_HEIGHT = 40;
inline constexpr int32_t LARGE_FONT_WEIGHT = 400;

// Corner ellipse of the button and the banner.
inline constexpr int32_t CORNER_ELLIPSE_SIZE = 8;

// The operating-system line's top is fixed, whatever the picture's height.
inline constexpr int32_t OS_LINE_TOP = 400;

// The operating-system line, over the picture's lower left.
constexpr app::Rect OsLineRect(int32_t w, int32_t h) { return {20, OS_LINE_TOP, w - 160, h}; }

// The white panel under the picture.
constexpr app::Rect PanelRect(int32_t w, int32_t h) { return {0, h, w, h + PANEL_HEIGHT}; }

// The panel's two lines of text.
constexpr app::Rect PanelLine1Rect(int32_t w, int32_t h) { return {20, h + 30, w, h + 100}; }
constexpr app::Rect PanelLine2Rect(int32_t w, int32_t h) { return {20, h + 50, w, h + 100}; }

// The action button, and the banner in its place: 300 wide, 60 high.
constexpr app::Rect ButtonRect(int32_t w, int32_t h) { return {w - 320, h + 20, w - 20, h + 80}; }

// "Installing": the banner less its bottom 15 pixels.
constexpr app::Rect InstallingRect(const app::Rect& banner) {
  return {banner.left, banner.top, banner.right, banner.bottom - 15};
}

// The status line: the banner's bottom 20 pixels.
constexpr app::Rect StatusRect(const app::Rect& banner) {
  return {banner.left, banner.bottom - 20, banner.right, banner.bottom};
}

// Placements of the texts.
inline constexpr uint32_t PLACE_TOP_LEFT = platform::TEXT_SINGLE_LINE | platform::TEXT_LEFT_TOP;
inline constexpr uint32_t PLACE_CENTRED =
    platform::TEXT_SINGLE_LINE | platform::TEXT_CENTER | platform::TEXT_VCENTER;
inline constexpr uint32_t PLACE_TOP_CENTRED = platform::TEXT_SINGLE_LINE | platform::TEXT_CENTER;

}  // namespace ui

// The window's look: its fonts, background picture and hand cursor, and the
// drawing of the operating-system line, the information panel, the action
// button and the progress banner. All of it runs on the window's thread.
//
// Every drawing operation selects what it needs into the context and, before
// it returns, selects back the pen, brush and font that it found. Text colour
// and background mode are set before each text and are not restored. No
// drawing result is tested: a failed call leaves its element undrawn.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "platform/canvas.h"

namespace ui {

// Creates `smallFont` and `largeFont`, loads the background picture (bitmap
// resource 101 of `instance`) into `backgroundBitmap` with its size in
// `bitmapWidth` and `bitmapHeight`, loads `handCursor`, then runs the system
// probe (`osClass`, `modulePath`, `installed`) and returns `installed`.
// Requires `instance` to be set. A font or cursor that cannot be had stays
// null and the drawing does without it; when the picture cannot be loaded or
// its size read, the layout takes the picture's designed size, 900 by 424, so
// the window keeps its shape with an empty picture area.
int32_t PrepareWindowState(app::AppState& state);

// Deletes the picture and the two fonts and sets their fields to null; a
// second call finds nothing to delete. The cursor is shared and kept.
void FreeWindowResources(app::AppState& state);

// Copies the whole of `bitmap` to (x, y) of `dc`. A null bitmap draws nothing.
void DrawBitmapAt(platform::DrawContext dc, int32_t x, int32_t y, platform::BitmapHandle bitmap);

// Draws the operating-system line, the panel and the button in its released
// look (which sets `buttonRect`). Called between the begin and end of a paint.
void PaintWindow(app::AppState& state, platform::DrawContext dc);

// Draws the white panel under the picture and its two lines of text.
void DrawInfoPanel(const app::AppState& state, platform::DrawContext dc);

// Draws the action button, released (`pressed` 0: white, black outline and
// text) or pressed (non-zero: black with white text), labelled "Remove" when
// `installed` is set, else "Install". Stores its rectangle in `buttonRect`.
void DrawActionButton(app::AppState& state, platform::DrawContext dc, int32_t pressed);

// Draws the black progress banner over the button's place, with "Installing"
// when `phase` is 1 and the current `statusText` at its bottom. Stores the
// same rectangle as the button in `buttonRect`. `statusText` may be written
// by the worker meanwhile.
void DrawProgressBanner(app::AppState& state, platform::DrawContext dc, int32_t phase);

}  // namespace ui

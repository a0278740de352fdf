// Platform seam for painting: the few drawing services the window's look is
// made of. Fonts by face, cell height and weight; the background picture from
// the program's resources; the shared hand cursor; stock pens and brushes
// selected into a drawing context; a filled rectangle, a rounded rectangle and
// single-line text in a rectangle; and a bitmap copied to a point.
//
// Shapes and text use whatever pen, brush and font are selected into the
// context at the time, and SelectDrawObject answers what it replaced, so that
// a caller can put back exactly what it found.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace platform {

// A device context to draw on, owned by whoever handed it out (a paint, the
// window's context, a memory context in tests).
using DrawContext = void*;
// A pen, brush or font as selected into a DrawContext.
using DrawObject = void*;

// Colours as 0x00BBGGRR: red in the low byte.
using Colour = uint32_t;

// Stock drawing objects, by the system's own numbers.
inline constexpr int32_t STOCK_WHITE_BRUSH = 0;
inline constexpr int32_t STOCK_BLACK_BRUSH = 4;
inline constexpr int32_t STOCK_BLACK_PEN = 7;
inline constexpr int32_t STOCK_NULL_PEN = 8;

// Text placement flags for DrawTextInRect, by the system's own numbers; left
// and top are the absence of the others.
inline constexpr uint32_t TEXT_LEFT_TOP = 0x00;
inline constexpr uint32_t TEXT_CENTER = 0x01;       // centred across
inline constexpr uint32_t TEXT_VCENTER = 0x04;      // centred down (single line only)
inline constexpr uint32_t TEXT_SINGLE_LINE = 0x20;  // never wraps; cut at the rectangle's edge

// Longest font face name, zero byte included.
inline constexpr uint32_t FONT_FACE_SIZE = 32;

// Creates a font described only by `face`, cell height `height` (positive)
// and weight `weight` (400 normal, 700 bold...); every other property is the
// system's default (not italic, underlined or struck out, character set 0).
// Null when it cannot be created, or when `face` does not fit FONT_FACE_SIZE.
FontHandle CreateCanvasFont(const char* face, int32_t height, int32_t weight);

// Deletes a font from CreateCanvasFont. A null font is ignored.
void DeleteCanvasFont(FontHandle font);

// A bitmap loaded from resources, with its size in pixels.
struct LoadedBitmap {
  BitmapHandle bitmap;  // null when not loaded
  int32_t width;        // 0 when not loaded or not readable
  int32_t height;
};

// Loads bitmap resource `id` of `module` (null: the program itself) and reads
// its size.
LoadedBitmap LoadBitmapResource(ModuleHandle module, uint32_t id);

// Deletes a bitmap from LoadBitmapResource. A null bitmap is ignored.
void DeleteCanvasBitmap(BitmapHandle bitmap);

// The system's shared hand cursor; it is never released. Null when missing.
CursorHandle LoadHandCursor();

// One of the STOCK_ objects. Stock objects are never deleted.
DrawObject GetStockDrawObject(int32_t stockObject);

// Selects `object` (a pen, brush or font) into `dc` and returns the object of
// the same kind that it replaced, to be selected back later. Null when the
// selection failed, in which case nothing changed.
DrawObject SelectDrawObject(DrawContext dc, DrawObject object);

// Sets the colour of text drawn from now on.
void SetTextColour(DrawContext dc, Colour colour);

// Makes text drawn from now on leave the background under it untouched.
void SetTransparentBackground(DrawContext dc);

// Draws a rectangle with the selected pen as outline and the selected brush
// as fill, corners (left, top) and (right, bottom). As the system draws it,
// right and bottom are outside the shape; with the null pen the filled area
// is one pixel smaller again in each direction.
void DrawFilledRectangle(DrawContext dc, int32_t left, int32_t top, int32_t right, int32_t bottom);

// Draws a rectangle with rounded corners, outline and fill as above, the
// corners shaped by an ellipse `ellipseWidth` by `ellipseHeight`.
void DrawRoundedRectangle(DrawContext dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight);

// Draws `text` with the selected font, the current text colour and
// background mode, placed in (left, top, right, bottom) by `placement`
// (TEXT_ flags) and cut at the rectangle's edges.
void DrawTextInRect(DrawContext dc, const char* text, int32_t left, int32_t top, int32_t right,
                    int32_t bottom, uint32_t placement);

// Copies the whole of `bitmap` to (x, y) of `dc`, pixel for pixel.
void CopyBitmapTo(DrawContext dc, int32_t x, int32_t y, BitmapHandle bitmap);

}  // namespace platform

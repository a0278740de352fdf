// Control of the recording canvas behind the canvas seam in the native build:
// declare which bitmap resources exist, make font creation or the hand cursor
// fail, make drawing contexts, and read every seam call in order together with
// what the context held when a shape or text was drawn.
//
// Handles are addresses of records kept here, so a handle is only meaningful
// until the next fake::Reset.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace platform::fake {

enum class DrawObjectKind { Unknown, Pen, Brush, Font, Bitmap, Cursor };

enum class CanvasOp {
  CreateFont,     // text: face; fontHeight, fontWeight; object: the new font (null on failure)
  DeleteFont,     // object
  LoadBitmap,     // resourceId; object: the bitmap (null when missing)
  DeleteBitmap,   // object
  LoadCursor,     // object: the cursor (null when missing)
  Select,         // object; previous: what the seam answered
  TextColour,     // colour
  Transparent,    //
  Rectangle,      // left, top, right, bottom
  RoundRect,      // left, top, right, bottom, ellipseWidth, ellipseHeight
  Text,           // text, left, top, right, bottom, placement
  CopyBitmap,     // object: the bitmap; left, top: the point
};

// What a drawing context holds.
struct DrawContextState {
  DrawObject pen = nullptr;
  DrawObject brush = nullptr;
  DrawObject font = nullptr;
  Colour textColour = 0;
  bool transparent = false;
};

struct CanvasCall {
  CanvasOp op = CanvasOp::CreateFont;
  DrawContext dc = nullptr;
  void* object = nullptr;
  void* previous = nullptr;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t ellipseWidth = 0;
  int32_t ellipseHeight = 0;
  uint32_t placement = 0;
  Colour colour = 0;
  std::string text;
  int32_t fontHeight = 0;
  int32_t fontWeight = 0;
  uint32_t resourceId = 0;
  // For Rectangle, RoundRect, Text and CopyBitmap: the context as it was.
  DrawContextState held;
};

// The text colour a context made by MakeDrawContext starts with: no colour
// that the program draws in, so that text drawn without setting one shows.
constexpr Colour UNSET_TEXT_COLOUR = 0x00123456;

// After fake::Reset: no context, object, resource, injected failure, log or
// observer.

// Declares bitmap resource `id` of any module, `width` by `height` pixels.
// A size of 0 stands for a bitmap that loads but whose size cannot be read.
void AddBitmapResource(uint32_t id, int32_t width, int32_t height);

// What a test sets; fake::Reset puts back these values.
struct CanvasKnobs {
  bool failFonts = false;          // every font creation fails
  bool handCursorMissing = false;  // LoadHandCursor finds none
};
extern CanvasKnobs canvasKnobs;

// A new drawing context holding a pen, a brush and a font of its own (none of
// them a stock object or a created font), text colour UNSET_TEXT_COLOUR and
// an opaque background.
DrawContext MakeDrawContext();
DrawContextState GetDrawContextState(DrawContext dc);

// The kind of a handle the canvas handed out; Unknown for anything else.
DrawObjectKind KindOf(const void* object);
// Face, height and weight of a font the canvas created.
std::string FontFace(const void* font);
int32_t FontHeight(const void* font);
int32_t FontWeight(const void* font);

// Fonts and bitmaps created and not yet deleted.
size_t LiveFontCount();
size_t LiveBitmapCount();
// Deletions of something that was not a live object of the right kind.
size_t BadDeleteCount();

const std::vector<CanvasCall>& CanvasLog();
void ClearCanvasLog();

// Called with each call right after it was logged (null: nobody), so that a
// test can look at the other fakes at that moment.
void SetCanvasObserver(std::function<void(const CanvasCall& call)> observer);

}  // namespace platform::fake

// The window's resources and painting, over the canvas seam.
#include "ui/painting.h"

#include <cstring>

#include "probe/system_probe.h"
#include "ui/layout.h"
#include "ui/paint_texts.h"

namespace ui {

namespace {

// Holds the selections of one drawing operation. Select puts a pen, brush or
// font into the context; at the end of the scope the object that each kind
// held before its first selection is selected back, in the reverse order of
// those first selections, so the context leaves as it came.
class SelectionScope {
 public:
  enum Kind { PEN, BRUSH, FONT, KIND_COUNT };

  explicit SelectionScope(platform::DrawContext dc) : dc_(dc) {}
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;
  ~SelectionScope() {
    for (int i = count_ - 1; i >= 0; --i) {
      platform::SelectDrawObject(dc_, found_[order_[i]]);
    }
  }

  // A null object (a font that could not be created) is not selected: the
  // text then comes out in whatever font the context holds.
  void Select(Kind kind, platform::DrawObject object) {
    if (object == nullptr) return;
    platform::DrawObject previous = platform::SelectDrawObject(dc_, object);
    if (previous == nullptr || taken_[kind]) return;
    taken_[kind] = true;
    found_[kind] = previous;
    order_[count_++] = kind;
  }

  void SelectStock(Kind kind, int32_t stockObject) { Select(kind, platform::GetStockDrawObject(stockObject)); }

 private:
  platform::DrawContext dc_;
  platform::DrawObject found_[KIND_COUNT] = {};
  bool taken_[KIND_COUNT] = {};
  Kind order_[KIND_COUNT] = {};
  int count_ = 0;
};

void PlaceText(platform::DrawContext dc, const char* text, const app::Rect& rect, uint32_t placement) {
  platform::DrawTextInRect(dc, text, rect.left, rect.top, rect.right, rect.bottom, placement);
}

// Shapes are drawn with right and bottom one past the rectangle's.
void DrawRoundedBox(platform::DrawContext dc, const app::Rect& rect) {
  platform::DrawRoundedRectangle(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1,
                                 CORNER_ELLIPSE_SIZE, CORNER_ELLIPSE_SIZE);
}

app::Rect StoreButtonRect(app::AppState& state) {
  state.buttonRect = ButtonRect(state.bitmapWidth, state.bitmapHeight);
  return state.buttonRect;
}

}  // namespace

int32_t PrepareWindowState(app::AppState& state) {
  state.smallFont = platform::CreateCanvasFont(FONT_FACE, SMALL_FONT_HEIGHT, SMALL_FONT_WEIGHT);
  state.largeFont = platform::CreateCanvasFont(FONT_FACE, LARGE_FONT_HEIGHT, LARGE_FONT_WEIGHT);

  platform::LoadedBitmap picture = platform::LoadBitmapResource(state.instance, BACKGROUND_BITMAP_ID);
  state.backgroundBitmap = picture.bitmap;
  if (picture.width > 0 && picture.height > 0) {
    state.bitmapWidth = picture.width;
    state.bitmapHeight = picture.height;
  } else {
    // Every position derives from the picture's size; without one the
    // window would collapse to the panel's corner, so the designed size
    // stands in and only the picture itself is missing.
    state.bitmapWidth = DESIGN_BITMAP_WIDTH;
    state.bitmapHeight = DESIGN_BITMAP_HEIGHT;
  }

  state.handCursor = platform::LoadHandCursor();
  return probe::ProbeSystem(state);
}

void FreeWindowResources(app::AppState& state) {
  if (state.backgroundBitmap != nullptr) {
    platform::DeleteCanvasBitmap(state.backgroundBitmap);
    state.backgroundBitmap = nullptr;
  }
  if (state.smallFont != nullptr) {
    platform::DeleteCanvasFont(state.smallFont);
    state.smallFont = nullptr;
  }
  if (state.largeFont != nullptr) {
    platform::DeleteCanvasFont(state.largeFont);
    state.largeFont = nullptr;
  }
}

void DrawBitmapAt(platform::DrawContext dc, int32_t x, int32_t y, platform::BitmapHandle bitmap) {
  if (bitmap == nullptr) return;
  platform::CopyBitmapTo(dc, x, y, bitmap);
}

void PaintWindow(app::AppState& state, platform::DrawContext dc) {
  {
    SelectionScope selection(dc);
    selection.Select(SelectionScope::FONT, state.smallFont);
    platform::SetTransparentBackground(dc);
    platform::SetTextColour(dc, COLOUR_BLACK);
    PlaceText(dc, OsLineText(state.osClass), OsLineRect(state.bitmapWidth, state.bitmapHeight), PLACE_TOP_LEFT);
  }
  DrawInfoPanel(state, dc);
  DrawActionButton(state, dc, 0);
}

void DrawInfoPanel(const app::AppState& state, platform::DrawContext dc) {
  const int32_t w = state.bitmapWidth;
  const int32_t h = state.bitmapHeight;
  SelectionScope selection(dc);
  selection.SelectStock(SelectionScope::BRUSH, platform::STOCK_WHITE_BRUSH);
  selection.SelectStock(SelectionScope::PEN, platform::STOCK_NULL_PEN);
  // Without an outline the system fills one pixel less on the right and at
  // the bottom, so these corners fill exactly the panel.
  const app::Rect panel = PanelRect(w, h);
  platform::DrawFilledRectangle(dc, panel.left, panel.top, panel.right + 1, panel.bottom + 1);

  selection.Select(SelectionScope::FONT, state.smallFont);
  platform::SetTextColour(dc, COLOUR_BLACK);
  platform::SetTransparentBackground(dc);
  PlaceText(dc, PanelLine1Text(state.installed), PanelLine1Rect(w, h), PLACE_TOP_LEFT);
  platform::SetTextColour(dc, COLOUR_GREY);
  PlaceText(dc, PanelLine2Text(state.installed), PanelLine2Rect(w, h), PLACE_TOP_LEFT);
}

void DrawActionButton(app::AppState& state, platform::DrawContext dc, int32_t pressed) {
  const app::Rect button = StoreButtonRect(state);
  SelectionScope selection(dc);
  selection.SelectStock(SelectionScope::PEN, platform::STOCK_BLACK_PEN);
  if (pressed == 0) {
    selection.SelectStock(SelectionScope::BRUSH, platform::STOCK_WHITE_BRUSH);
    platform::SetTextColour(dc, COLOUR_BLACK);
  } else {
    selection.SelectStock(SelectionScope::BRUSH, platform::STOCK_BLACK_BRUSH);
    platform::SetTextColour(dc, COLOUR_WHITE);
  }
  DrawRoundedBox(dc, button);

  selection.Select(SelectionScope::FONT, state.largeFont);
  platform::SetTransparentBackground(dc);
  PlaceText(dc, ButtonLabel(state.installed), button, PLACE_CENTRED);
}

void DrawProgressBanner(app::AppState& state, platform::DrawContext dc, int32_t phase) {
  const app::Rect banner = StoreButtonRect(state);

  // The worker may be rewriting statusText while this reads it; a copy with
  // a zero byte forced at its end can never run past the buffer, whatever
  // half-written text it catches.
  char status[app::STATUS_TEXT_SIZE];
  std::memcpy(status, state.statusText, sizeof status);
  status[sizeof status - 1] = '\0';

  SelectionScope selection(dc);
  selection.SelectStock(SelectionScope::PEN, platform::STOCK_BLACK_PEN);
  selection.SelectStock(SelectionScope::BRUSH, platform::STOCK_BLACK_BRUSH);
  selection.Select(SelectionScope::FONT, state.largeFont);
  platform::SetTransparentBackground(dc);
  platform::SetTextColour(dc, COLOUR_WHITE);
  DrawRoundedBox(dc, banner);

  if (phase == 1) PlaceText(dc, BANNER_INSTALLING, InstallingRect(banner), PLACE_CENTRED);

  selection.Select(SelectionScope::FONT, state.smallFont);
  PlaceText(dc, status, StatusRect(banner), PLACE_TOP_CENTRED);
}

}  // namespace ui

// GDI side of the canvas seam: one GDI call (or a short fixed sequence) per
// operation.
#include "platform/canvas.h"

#include <windows.h>

#include <cstring>

#include "platform/unique_handle.h"

namespace platform {

static_assert(STOCK_WHITE_BRUSH == WHITE_BRUSH && STOCK_BLACK_BRUSH == BLACK_BRUSH &&
              STOCK_BLACK_PEN == BLACK_PEN && STOCK_NULL_PEN == NULL_PEN);
static_assert(TEXT_LEFT_TOP == (DT_LEFT | DT_TOP) && TEXT_CENTER == DT_CENTER &&
              TEXT_VCENTER == DT_VCENTER && TEXT_SINGLE_LINE == DT_SINGLELINE);
static_assert(FONT_FACE_SIZE == LF_FACESIZE);

namespace {

// A memory device context, deleted when it goes out of scope.
struct MemoryDcTraits {
  using Value = HDC;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) {
    DWORD lastError = ::GetLastError();
    ::DeleteDC(value);
    ::SetLastError(lastError);
  }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// Keeps `object` selected into `dc` for the scope and selects back what it
// replaced at the end. A bitmap can only be selected into one context at a
// time, so the bitmap must be back out before anyone else uses it.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  bool Selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

HDC AsDc(DrawContext dc) { return static_cast<HDC>(dc); }

// IDC_HAND, spelled out for the ANSI call whatever UNICODE says.
constexpr WORD HAND_CURSOR_ID = 32649;

}  // namespace

FontHandle CreateCanvasFont(const char* face, int32_t height, int32_t weight) {
  if (face == nullptr || std::strlen(face) >= LF_FACESIZE) return nullptr;
  LOGFONTA description;
  std::memset(&description, 0, sizeof description);
  std::memcpy(description.lfFaceName, face, std::strlen(face) + 1);
  description.lfHeight = height;
  description.lfWeight = weight;
  return ::CreateFontIndirectA(&description);
}

void DeleteCanvasFont(FontHandle font) {
  if (font != nullptr) ::DeleteObject(static_cast<HFONT>(font));
}

LoadedBitmap LoadBitmapResource(ModuleHandle module, uint32_t id) {
  LoadedBitmap loaded{nullptr, 0, 0};
  HINSTANCE instance = module != nullptr ? static_cast<HINSTANCE>(module) : ::GetModuleHandleA(nullptr);
  HBITMAP bitmap = ::LoadBitmapA(instance, MAKEINTRESOURCEA(id));
  if (bitmap == nullptr) return loaded;
  loaded.bitmap = bitmap;
  BITMAP description;
  if (::GetObjectA(bitmap, sizeof description, &description) == sizeof description) {
    loaded.width = description.bmWidth;
    loaded.height = description.bmHeight;
  }
  return loaded;
}

void DeleteCanvasBitmap(BitmapHandle bitmap) {
  if (bitmap != nullptr) ::DeleteObject(static_cast<HBITMAP>(bitmap));
}

CursorHandle LoadHandCursor() { return ::LoadCursorA(nullptr, MAKEINTRESOURCEA(HAND_CURSOR_ID)); }

DrawObject GetStockDrawObject(int32_t stockObject) { return ::GetStockObject(stockObject); }

DrawObject SelectDrawObject(DrawContext dc, DrawObject object) {
  HGDIOBJ previous = ::SelectObject(AsDc(dc), static_cast<HGDIOBJ>(object));
  return previous == HGDI_ERROR ? nullptr : previous;
}

void SetTextColour(DrawContext dc, Colour colour) { ::SetTextColor(AsDc(dc), colour); }

void SetTransparentBackground(DrawContext dc) { ::SetBkMode(AsDc(dc), TRANSPARENT); }

void DrawFilledRectangle(DrawContext dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  ::Rectangle(AsDc(dc), left, top, right, bottom);
}

void DrawRoundedRectangle(DrawContext dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight) {
  ::RoundRect(AsDc(dc), left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void DrawTextInRect(DrawContext dc, const char* text, int32_t left, int32_t top, int32_t right,
                    int32_t bottom, uint32_t placement) {
  RECT rect{left, top, right, bottom};
  // -1: the text runs to its zero byte.
  ::DrawTextA(AsDc(dc), text, -1, &rect, placement);
}

void CopyBitmapTo(DrawContext dc, int32_t x, int32_t y, BitmapHandle bitmap) {
  UniqueMemoryDc memory(::CreateCompatibleDC(AsDc(dc)));
  if (!memory.IsValid()) return;
  ScopedSelection selection(memory.Get(), static_cast<HBITMAP>(bitmap));
  if (!selection.Selected()) return;
  BITMAP description;
  if (::GetObjectA(static_cast<HBITMAP>(bitmap), sizeof description, &description) != sizeof description) {
    return;
  }
  ::BitBlt(AsDc(dc), x, y, description.bmWidth, description.bmHeight, memory.Get(), 0, 0, SRCCOPY);
  // The selection is undone before the memory context is deleted: members
  // and locals are destroyed in reverse order of construction.
}

}  // namespace platform

// The recording canvas: the canvas seam in the native build. It keeps the
// objects and contexts it hands out as records, follows what each context
// holds as the system would, and logs every call.
#include "platform/fake/fake_canvas.h"

#include <cstring>
#include <deque>
#include <map>
#include <utility>

#include "platform/fake/fake_parts.h"

namespace platform::fake {

CanvasKnobs canvasKnobs;

namespace {

struct FakeObject {
  DrawObjectKind kind = DrawObjectKind::Unknown;
  bool live = true;
  bool created = false;  // by CreateCanvasFont or LoadBitmapResource
  std::string face;
  int32_t height = 0;
  int32_t weight = 0;
  int32_t width = 0;
};

struct FakeContext {
  DrawContextState state;
};

struct Canvas {
  // Deques: records never move, so their addresses serve as handles.
  std::deque<FakeObject> objects;
  std::deque<FakeContext> contexts;
  std::map<int32_t, FakeObject*> stock;
  std::map<uint32_t, std::pair<int32_t, int32_t>> bitmapResources;
  FakeObject* handCursor = nullptr;
  std::vector<CanvasCall> log;
  size_t badDeletes = 0;
  bool stockMade = false;
  std::function<void(const CanvasCall&)> observer;
};

Canvas& TheCanvas() {
  static Canvas canvas;
  return canvas;
}

FakeObject* NewObject(DrawObjectKind kind) {
  Canvas& canvas = TheCanvas();
  canvas.objects.push_back(FakeObject{});
  canvas.objects.back().kind = kind;
  return &canvas.objects.back();
}

FakeObject* FindObject(const void* handle) {
  if (handle == nullptr) return nullptr;
  for (FakeObject& object : TheCanvas().objects) {
    if (&object == handle) return &object;
  }
  return nullptr;
}

FakeContext* FindContext(DrawContext dc) {
  if (dc == nullptr) return nullptr;
  for (FakeContext& context : TheCanvas().contexts) {
    if (&context == dc) return &context;
  }
  return nullptr;
}

void MakeStockObjects() {
  Canvas& canvas = TheCanvas();
  const std::pair<int32_t, DrawObjectKind> stock[] = {
      {STOCK_WHITE_BRUSH, DrawObjectKind::Brush},
      {STOCK_BLACK_BRUSH, DrawObjectKind::Brush},
      {STOCK_BLACK_PEN, DrawObjectKind::Pen},
      {STOCK_NULL_PEN, DrawObjectKind::Pen},
  };
  for (const auto& [id, kind] : stock) {
    FakeObject* object = NewObject(kind);
    canvas.stock[id] = object;
  }
  canvas.handCursor = NewObject(DrawObjectKind::Cursor);
}

CanvasCall Begin(CanvasOp op, DrawContext dc) {
  CanvasCall call;
  call.op = op;
  call.dc = dc;
  if (FakeContext* context = FindContext(dc)) call.held = context->state;
  return call;
}

void Log(const CanvasCall& call) {
  Canvas& canvas = TheCanvas();
  canvas.log.push_back(call);
  if (canvas.observer) canvas.observer(canvas.log.back());
}

void DeleteObjectOfKind(CanvasOp op, void* handle, DrawObjectKind kind) {
  if (handle == nullptr) return;
  CanvasCall call = Begin(op, nullptr);
  call.object = handle;
  FakeObject* object = FindObject(handle);
  if (object == nullptr || !object->created || !object->live || object->kind != kind) {
    ++TheCanvas().badDeletes;
  } else {
    object->live = false;
  }
  Log(call);
}

// The stock objects are built on first use, so the seam works before any
// reset.
void EnsureStock() {
  Canvas& canvas = TheCanvas();
  if (canvas.stockMade) return;
  MakeStockObjects();
  canvas.stockMade = true;
}

}  // namespace

void ResetCanvas() {
  Canvas& canvas = TheCanvas();
  canvas.objects.clear();
  canvas.contexts.clear();
  canvas.stock.clear();
  canvas.bitmapResources.clear();
  canvasKnobs = CanvasKnobs{};
  canvas.log.clear();
  canvas.badDeletes = 0;
  canvas.stockMade = false;
  canvas.observer = nullptr;
  EnsureStock();
}

void AddBitmapResource(uint32_t id, int32_t width, int32_t height) {
  TheCanvas().bitmapResources[id] = {width, height};
}



DrawContext MakeDrawContext() {
  EnsureStock();
  Canvas& canvas = TheCanvas();
  canvas.contexts.push_back(FakeContext{});
  FakeContext& context = canvas.contexts.back();
  context.state.pen = NewObject(DrawObjectKind::Pen);
  context.state.brush = NewObject(DrawObjectKind::Brush);
  FakeObject* font = NewObject(DrawObjectKind::Font);
  font->face = "System";
  context.state.font = font;
  context.state.textColour = UNSET_TEXT_COLOUR;
  context.state.transparent = false;
  return &context;
}

DrawContextState GetDrawContextState(DrawContext dc) {
  FakeContext* context = FindContext(dc);
  return context != nullptr ? context->state : DrawContextState{};
}

DrawObjectKind KindOf(const void* object) {
  FakeObject* found = FindObject(object);
  return found != nullptr ? found->kind : DrawObjectKind::Unknown;
}

std::string FontFace(const void* font) {
  FakeObject* found = FindObject(font);
  return found != nullptr ? found->face : std::string();
}

int32_t FontHeight(const void* font) {
  FakeObject* found = FindObject(font);
  return found != nullptr ? found->height : 0;
}

int32_t FontWeight(const void* font) {
  FakeObject* found = FindObject(font);
  return found != nullptr ? found->weight : 0;
}

size_t LiveFontCount() {
  size_t count = 0;
  for (const FakeObject& object : TheCanvas().objects) {
    if (object.kind == DrawObjectKind::Font && object.created && object.live) ++count;
  }
  return count;
}

size_t LiveBitmapCount() {
  size_t count = 0;
  for (const FakeObject& object : TheCanvas().objects) {
    if (object.kind == DrawObjectKind::Bitmap && object.created && object.live) ++count;
  }
  return count;
}

size_t BadDeleteCount() { return TheCanvas().badDeletes; }

const std::vector<CanvasCall>& CanvasLog() { return TheCanvas().log; }

void ClearCanvasLog() { TheCanvas().log.clear(); }

void SetCanvasObserver(std::function<void(const CanvasCall& call)> observer) {
  TheCanvas().observer = std::move(observer);
}

}  // namespace platform::fake

namespace platform {

using fake::CanvasCall;
using fake::CanvasOp;
using fake::DrawObjectKind;
using fake::FakeObject;

FontHandle CreateCanvasFont(const char* face, int32_t height, int32_t weight) {
  fake::EnsureStock();
  CanvasCall call = fake::Begin(CanvasOp::CreateFont, nullptr);
  call.text = face != nullptr ? face : "";
  call.fontHeight = height;
  call.fontWeight = weight;
  if (!fake::canvasKnobs.failFonts && face != nullptr && std::strlen(face) < FONT_FACE_SIZE) {
    FakeObject* font = fake::NewObject(DrawObjectKind::Font);
    font->created = true;
    font->face = face;
    font->height = height;
    font->weight = weight;
    call.object = font;
  }
  fake::Log(call);
  return call.object;
}

void DeleteCanvasFont(FontHandle font) { fake::DeleteObjectOfKind(CanvasOp::DeleteFont, font, DrawObjectKind::Font); }

LoadedBitmap LoadBitmapResource(ModuleHandle /*module*/, uint32_t id) {
  fake::EnsureStock();
  CanvasCall call = fake::Begin(CanvasOp::LoadBitmap, nullptr);
  call.resourceId = id;
  LoadedBitmap loaded{nullptr, 0, 0};
  auto found = fake::TheCanvas().bitmapResources.find(id);
  if (found != fake::TheCanvas().bitmapResources.end()) {
    FakeObject* bitmap = fake::NewObject(DrawObjectKind::Bitmap);
    bitmap->created = true;
    bitmap->width = found->second.first;
    bitmap->height = found->second.second;
    call.object = bitmap;
    loaded = LoadedBitmap{bitmap, bitmap->width, bitmap->height};
  }
  fake::Log(call);
  return loaded;
}

void DeleteCanvasBitmap(BitmapHandle bitmap) {
  fake::DeleteObjectOfKind(CanvasOp::DeleteBitmap, bitmap, DrawObjectKind::Bitmap);
}

CursorHandle LoadHandCursor() {
  fake::EnsureStock();
  CanvasCall call = fake::Begin(CanvasOp::LoadCursor, nullptr);
  if (!fake::canvasKnobs.handCursorMissing) call.object = fake::TheCanvas().handCursor;
  fake::Log(call);
  return call.object;
}

DrawObject GetStockDrawObject(int32_t stockObject) {
  fake::EnsureStock();
  auto found = fake::TheCanvas().stock.find(stockObject);
  return found != fake::TheCanvas().stock.end() ? found->second : nullptr;
}

DrawObject SelectDrawObject(DrawContext dc, DrawObject object) {
  CanvasCall call = fake::Begin(CanvasOp::Select, dc);
  call.object = object;
  fake::FakeContext* context = fake::FindContext(dc);
  FakeObject* selected = fake::FindObject(object);
  DrawObject* slot = nullptr;
  if (context != nullptr && selected != nullptr && selected->live) {
    switch (selected->kind) {
      case DrawObjectKind::Pen: slot = &context->state.pen; break;
      case DrawObjectKind::Brush: slot = &context->state.brush; break;
      case DrawObjectKind::Font: slot = &context->state.font; break;
      default: break;  // bitmaps and cursors are not selected through the seam
    }
  }
  if (slot != nullptr) {
    call.previous = *slot;
    *slot = object;
  }
  fake::Log(call);
  return call.previous;
}

void SetTextColour(DrawContext dc, Colour colour) {
  CanvasCall call = fake::Begin(CanvasOp::TextColour, dc);
  call.colour = colour;
  if (fake::FakeContext* context = fake::FindContext(dc)) context->state.textColour = colour;
  fake::Log(call);
}

void SetTransparentBackground(DrawContext dc) {
  CanvasCall call = fake::Begin(CanvasOp::Transparent, dc);
  if (fake::FakeContext* context = fake::FindContext(dc)) context->state.transparent = true;
  fake::Log(call);
}

void DrawFilledRectangle(DrawContext dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CanvasCall call = fake::Begin(CanvasOp::Rectangle, dc);
  call.left = left;
  call.top = top;
  call.right = right;
  call.bottom = bottom;
  fake::Log(call);
}

void DrawRoundedRectangle(DrawContext dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight) {
  CanvasCall call = fake::Begin(CanvasOp::RoundRect, dc);
  call.left = left;
  call.top = top;
  call.right = right;
  call.bottom = bottom;
  call.ellipseWidth = ellipseWidth;
  call.ellipseHeight = ellipseHeight;
  fake::Log(call);
}

void DrawTextInRect(DrawContext dc, const char* text, int32_t left, int32_t top, int32_t right,
                    int32_t bottom, uint32_t placement) {
  CanvasCall call = fake::Begin(CanvasOp::Text, dc);
  call.text = text != nullptr ? text : "";
  call.left = left;
  call.top = top;
  call.right = right;
  call.bottom = bottom;
  call.placement = placement;
  fake::Log(call);
}

void CopyBitmapTo(DrawContext dc, int32_t x, int32_t y, BitmapHandle bitmap) {
  CanvasCall call = fake::Begin(CanvasOp::CopyBitmap, dc);
  call.object = bitmap;
  call.left = x;
  call.top = y;
  fake::Log(call);
}

}  // namespace platform

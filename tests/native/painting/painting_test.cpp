// The window's resources and painting against the recording canvas: what is
// drawn where, in which font and colour, what the button and banner leave in
// buttonRect, and that every drawing operation leaves the context as it
// found it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/fake/fake_canvas.h"
#include "platform/fake/fake_platform.h"
#include "ui/painting.h"

namespace {

using platform::fake::CanvasCall;
using platform::fake::CanvasOp;
using platform::fake::DrawContextState;
using platform::fake::DrawObjectKind;

constexpr uint32_t SINGLE_LINE = 0x20;
constexpr uint32_t CENTRED_BOTH = 0x20 | 0x01 | 0x04;
constexpr uint32_t CENTRED_ACROSS = 0x20 | 0x01;
constexpr uint32_t BLACK = 0x000000;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t GREY = 0x646464;

struct Box {
  int32_t left, top, right, bottom;
  bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out) {
  *out << "(" << box.left << ", " << box.top << ", " << box.right << ", " << box.bottom << ")";
}

Box BoxOf(const CanvasCall& call) { return {call.left, call.top, call.right, call.bottom}; }

std::vector<CanvasCall> Calls(CanvasOp op) {
  std::vector<CanvasCall> found;
  for (const CanvasCall& call : platform::fake::CanvasLog()) {
    if (call.op == op) found.push_back(call);
  }
  return found;
}

const CanvasCall* TextCall(const std::string& text) {
  for (const CanvasCall& call : platform::fake::CanvasLog()) {
    if (call.op == CanvasOp::Text && call.text == text) return &call;
  }
  return nullptr;
}

std::vector<std::string> Texts() {
  std::vector<std::string> texts;
  for (const CanvasCall& call : Calls(CanvasOp::Text)) texts.push_back(call.text);
  return texts;
}

// Replays the selections logged on `dc` from `start` as a stack: a kind
// moved away from what the context held at `start` is pushed, and putting it
// back must pop it, so the objects found come back in the reverse order of
// their replacement. The context must end holding what it held at the start.
void ExpectSelectBack(platform::DrawContext dc, const DrawContextState& start) {
  DrawContextState current = start;
  std::vector<DrawObjectKind> displaced;
  for (const CanvasCall& call : platform::fake::CanvasLog()) {
    if (call.op != CanvasOp::Select || call.dc != dc) continue;
    ASSERT_NE(call.previous, nullptr) << "a selection failed";
    const DrawObjectKind kind = platform::fake::KindOf(call.object);
    platform::DrawObject* slot = kind == DrawObjectKind::Pen     ? &current.pen
                                 : kind == DrawObjectKind::Brush ? &current.brush
                                                                 : &current.font;
    const platform::DrawObject original = kind == DrawObjectKind::Pen     ? start.pen
                                          : kind == DrawObjectKind::Brush ? start.brush
                                                                          : start.font;
    EXPECT_EQ(call.previous, *slot);
    if (*slot == original && call.object != original) {
      displaced.push_back(kind);
    } else if (*slot != original && call.object == original) {
      ASSERT_FALSE(displaced.empty());
      EXPECT_EQ(displaced.back(), kind) << "restored out of order";
      displaced.pop_back();
    }
    *slot = call.object;
  }
  EXPECT_TRUE(displaced.empty()) << displaced.size() << " kinds not put back";
  const DrawContextState after = platform::fake::GetDrawContextState(dc);
  EXPECT_EQ(after.pen, start.pen);
  EXPECT_EQ(after.brush, start.brush);
  EXPECT_EQ(after.font, start.font);
}

class PaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::ClearAppState(state_);
    state_.instance = reinterpret_cast<platform::ModuleHandle>(0x400000);
  }

  // Loads the resources from a picture of `width` by `height` and starts the
  // log afresh on a new context.
  void Prepare(int32_t width = 900, int32_t height = 424) {
    platform::fake::AddBitmapResource(101, width, height);
    ui::PrepareWindowState(state_);
    platform::fake::ClearCanvasLog();
    dc_ = platform::fake::MakeDrawContext();
    start_ = platform::fake::GetDrawContextState(dc_);
  }

  app::AppState state_;
  platform::DrawContext dc_ = nullptr;
  DrawContextState start_;
};

// --- PrepareWindowState and FreeWindowResources -------------------------------

TEST_F(PaintingTest, PrepareCreatesFontsLoadsPictureAndCursorThenProbes) {
  platform::fake::AddBitmapResource(101, 900, 424);
  platform::fake::SetVersion(platform::VERSION_RECORD_EXTENDED, {6, 1, 1});
  platform::fake::deviceKnobs.outcome = platform::DEVICE_OPEN_FAILED;
  // Every canvas call must come before the probe's first question.
  size_t callsBeforeProbe = 0;
  platform::fake::SetCanvasObserver([&](const CanvasCall&) {
    if (platform::fake::CallsOf("QuerySystemVersion").empty()) ++callsBeforeProbe;
  });

  EXPECT_EQ(ui::PrepareWindowState(state_), 1);

  const std::vector<CanvasCall>& log = platform::fake::CanvasLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(callsBeforeProbe, 4u);
  EXPECT_EQ(log[0].op, CanvasOp::CreateFont);
  EXPECT_EQ(log[0].text, "Arial");
  EXPECT_EQ(log[0].fontHeight, 16);
  EXPECT_EQ(log[0].fontWeight, 800);
  EXPECT_EQ(log[1].op, CanvasOp::CreateFont);
  EXPECT_EQ(log[1].text, "Arial");
  EXPECT_EQ(log[1].fontHeight, 40);
  EXPECT_EQ(log[1].fontWeight, 400);
  EXPECT_EQ(log[2].op, CanvasOp::LoadBitmap);
  EXPECT_EQ(log[2].resourceId, 101u);
  EXPECT_EQ(log[3].op, CanvasOp::LoadCursor);

  EXPECT_EQ(state_.smallFont, log[0].object);
  EXPECT_EQ(state_.largeFont, log[1].object);
  EXPECT_EQ(platform::fake::FontHeight(state_.smallFont), 16);
  EXPECT_EQ(platform::fake::FontHeight(state_.largeFont), 40);
  EXPECT_EQ(state_.backgroundBitmap, log[2].object);
  EXPECT_NE(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(state_.bitmapWidth, 900);
  EXPECT_EQ(state_.bitmapHeight, 424);
  EXPECT_EQ(state_.handCursor, log[3].object);
  EXPECT_NE(state_.handCursor, nullptr);
  // What the probe filled.
  EXPECT_EQ(state_.osClass, 4);
  EXPECT_EQ(state_.installed, 1);
  EXPECT_STREQ(state_.modulePath, "C:\\Setup\\BrevikSetup.exe");
  // Nothing is drawn before the first paint.
  EXPECT_EQ(state_.buttonRect.left, 0);
  EXPECT_EQ(state_.buttonRect.bottom, 0);
}

TEST_F(PaintingTest, PrepareReturnsTheInstalledFlagOfTheProbe) {
  platform::fake::AddBitmapResource(101, 900, 424);
  platform::fake::deviceKnobs.outcome = platform::DEVICE_NO_INTERFACE;
  state_.installed = 1;
  EXPECT_EQ(ui::PrepareWindowState(state_), 0);
  EXPECT_EQ(state_.installed, 0);
  EXPECT_EQ(state_.osClass, -1);  // every version record refused
}

TEST_F(PaintingTest, MissingPictureLeavesTheDesignedLayout) {
  // No bitmap resource at all.
  EXPECT_EQ(ui::PrepareWindowState(state_), 0);
  EXPECT_EQ(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(state_.bitmapWidth, 900);
  EXPECT_EQ(state_.bitmapHeight, 424);
  EXPECT_NE(state_.smallFont, nullptr);
  EXPECT_NE(state_.handCursor, nullptr);

  dc_ = platform::fake::MakeDrawContext();
  ui::DrawBitmapAt(dc_, 0, 0, state_.backgroundBitmap);
  EXPECT_TRUE(Calls(CanvasOp::CopyBitmap).empty());
  ui::PaintWindow(state_, dc_);
  EXPECT_EQ((Box{state_.buttonRect.left, state_.buttonRect.top, state_.buttonRect.right,
                 state_.buttonRect.bottom}),
            (Box{580, 444, 880, 504}));
}

TEST_F(PaintingTest, PictureWithoutReadableSizeIsKeptWithTheDesignedSize) {
  platform::fake::AddBitmapResource(101, 0, 0);
  ui::PrepareWindowState(state_);
  EXPECT_NE(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(state_.bitmapWidth, 900);
  EXPECT_EQ(state_.bitmapHeight, 424);
}

TEST_F(PaintingTest, FailedFontsAndCursorStayNullAndTheProbeStillRuns) {
  platform::fake::AddBitmapResource(101, 900, 424);
  platform::fake::canvasKnobs.failFonts = true;
  platform::fake::canvasKnobs.handCursorMissing = true;
  platform::fake::deviceKnobs.outcome = platform::DEVICE_OPENED;

  EXPECT_EQ(ui::PrepareWindowState(state_), 1);
  EXPECT_EQ(state_.smallFont, nullptr);
  EXPECT_EQ(state_.largeFont, nullptr);
  EXPECT_EQ(state_.handCursor, nullptr);
  EXPECT_NE(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(platform::fake::OpenDevices(), 0);

  // Painting goes on in the context's own font and still puts back
  // everything it changed.
  platform::fake::ClearCanvasLog();
  dc_ = platform::fake::MakeDrawContext();
  start_ = platform::fake::GetDrawContextState(dc_);
  ui::PaintWindow(state_, dc_);
  ui::DrawProgressBanner(state_, dc_, 1);
  for (const CanvasCall& call : Calls(CanvasOp::Select)) EXPECT_NE(call.object, nullptr);
  for (const CanvasCall& call : Calls(CanvasOp::Text)) EXPECT_EQ(call.held.font, start_.font);
  EXPECT_EQ(Texts().size(), 6u);
  ExpectSelectBack(dc_, start_);
}

TEST_F(PaintingTest, FreeDeletesPictureAndFontsOnceAndKeepsTheCursor) {
  Prepare();
  const platform::CursorHandle cursor = state_.handCursor;
  const void* bitmap = state_.backgroundBitmap;
  const void* small = state_.smallFont;
  const void* large = state_.largeFont;

  ui::FreeWindowResources(state_);
  const std::vector<CanvasCall>& log = platform::fake::CanvasLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].op, CanvasOp::DeleteBitmap);
  EXPECT_EQ(log[0].object, bitmap);
  EXPECT_EQ(log[1].op, CanvasOp::DeleteFont);
  EXPECT_EQ(log[1].object, small);
  EXPECT_EQ(log[2].op, CanvasOp::DeleteFont);
  EXPECT_EQ(log[2].object, large);
  EXPECT_EQ(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(state_.smallFont, nullptr);
  EXPECT_EQ(state_.largeFont, nullptr);
  EXPECT_EQ(state_.handCursor, cursor);
  EXPECT_EQ(platform::fake::LiveFontCount(), 0u);
  EXPECT_EQ(platform::fake::LiveBitmapCount(), 0u);

  ui::FreeWindowResources(state_);
  EXPECT_EQ(platform::fake::CanvasLog().size(), 3u);
  EXPECT_EQ(platform::fake::BadDeleteCount(), 0u);
}

// --- Layout -----------------------------------------------------------------------

struct LayoutCase {
  int32_t width, height;
  Box osLine, panelShape, line1, line2, button, buttonShape, installing, status;
};

void PrintTo(const LayoutCase& layout, std::ostream* out) { *out << layout.width << "x" << layout.height; }

class LayoutTest : public PaintingTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTest, EveryElementFollowsThePictureSize) {
  const LayoutCase& layout = GetParam();
  Prepare(layout.width, layout.height);
  state_.osClass = 3;
  std::strcpy(state_.statusText, "Copying files");

  ui::PaintWindow(state_, dc_);
  ASSERT_NE(TextCall("O/S: VISTA"), nullptr);
  EXPECT_EQ(BoxOf(*TextCall("O/S: VISTA")), layout.osLine);
  ASSERT_EQ(Calls(CanvasOp::Rectangle).size(), 1u);
  EXPECT_EQ(BoxOf(Calls(CanvasOp::Rectangle)[0]), layout.panelShape);
  ASSERT_NE(TextCall("Ready to install ? Click the button right there..."), nullptr);
  EXPECT_EQ(BoxOf(*TextCall("Ready to install ? Click the button right there...")), layout.line1);
  ASSERT_NE(TextCall("it will install Kelvane Brevik and Mireline on your system..."), nullptr);
  EXPECT_EQ(BoxOf(*TextCall("it will install Kelvane Brevik and Mireline on your system...")), layout.line2);
  ASSERT_NE(TextCall("Install"), nullptr);
  EXPECT_EQ(BoxOf(*TextCall("Install")), layout.button);
  ASSERT_EQ(Calls(CanvasOp::RoundRect).size(), 1u);
  EXPECT_EQ(BoxOf(Calls(CanvasOp::RoundRect)[0]), layout.buttonShape);

  platform::fake::ClearCanvasLog();
  ui::DrawProgressBanner(state_, dc_, 1);
  ASSERT_EQ(Calls(CanvasOp::RoundRect).size(), 1u);
  EXPECT_EQ(BoxOf(Calls(CanvasOp::RoundRect)[0]), layout.buttonShape);
  ASSERT_NE(TextCall("Installing"), nullptr);
  EXPECT_EQ(BoxOf(*TextCall("Installing")), layout.installing);
  ASSERT_NE(TextCall("Copying files"), nullptr);
  EXPECT_EQ(BoxOf(*TextCall("Copying files")), layout.status);
}

INSTANTIATE_TEST_SUITE_P(
    PictureSizes, LayoutTest,
    ::testing::Values(
        LayoutCase{900, 424, {20, 400, 740, 424}, {0, 424, 901, 525}, {20, 454, 900, 524},
                   {20, 474, 900, 524}, {580, 444, 880, 504}, {580, 444, 881, 505},
                   {580, 444, 880, 489}, {580, 484, 880, 504}},
        // The operating-system line keeps its top at 400 for any picture.
        LayoutCase{1000, 500, {20, 400, 840, 500}, {0, 500, 1001, 601}, {20, 530, 1000, 600},
                   {20, 550, 1000, 600}, {680, 520, 980, 580}, {680, 520, 981, 581},
                   {680, 520, 980, 565}, {680, 560, 980, 580}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) {
      return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
    });

// --- Operating-system line ----------------------------------------------------------

TEST_F(PaintingTest, OperatingSystemLineNamesEachClass) {
  const struct {
    app::OsClass osClass;
    const char* text;
  } cases[] = {
      {0, "O/S: < XP"},    {1, "O/S: WIN XP"},  {2, "O/S: unknown"},      {3, "O/S: VISTA"},
      {4, "O/S: WIN7"},    {5, "O/S: WIN8"},    {-1, "O/S: unknown"},     {6, "O/S: unknown"},
      {-2, "O/S: unknown"}, {INT_MAX, "O/S: unknown"}, {INT_MIN, "O/S: unknown"},
  };
  Prepare();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.osClass);
    platform::fake::ClearCanvasLog();
    state_.osClass = c.osClass;
    ui::PaintWindow(state_, dc_);
    const std::vector<CanvasCall> texts = Calls(CanvasOp::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, c.text);
    EXPECT_EQ(texts[0].placement, SINGLE_LINE);
    EXPECT_EQ(texts[0].held.font, state_.smallFont);
    EXPECT_EQ(texts[0].held.textColour, BLACK);
    EXPECT_TRUE(texts[0].held.transparent);
  }
}

// --- Information panel --------------------------------------------------------------

TEST_F(PaintingTest, PanelIsWhiteWithoutOutlineAndShowsTheLinesForEachState) {
  const struct {
    int32_t installed;
    const char* line1;
    const char* line2;
  } cases[] = {
      {0, "Ready to install ? Click the button right there...",
       "it will install Kelvane Brevik and Mireline on your system..."},
      {1, "Brevik and Mireline are already installed...",
       "previous version has to be removed before installing new one..."},
  };
  Prepare();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.installed);
    platform::fake::ClearCanvasLog();
    dc_ = platform::fake::MakeDrawContext();
    start_ = platform::fake::GetDrawContextState(dc_);
    state_.installed = c.installed;
    ui::DrawInfoPanel(state_, dc_);

    const std::vector<CanvasCall> shapes = Calls(CanvasOp::Rectangle);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].held.brush, platform::GetStockDrawObject(platform::STOCK_WHITE_BRUSH));
    EXPECT_EQ(shapes[0].held.pen, platform::GetStockDrawObject(platform::STOCK_NULL_PEN));

    const std::vector<CanvasCall> texts = Calls(CanvasOp::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, c.line1);
    EXPECT_EQ(texts[0].held.textColour, BLACK);
    EXPECT_EQ(texts[1].text, c.line2);
    EXPECT_EQ(texts[1].held.textColour, GREY);
    for (const CanvasCall& text : texts) {
      EXPECT_EQ(text.placement, SINGLE_LINE);
      EXPECT_EQ(text.held.font, state_.smallFont);
      EXPECT_TRUE(text.held.transparent);
    }
    ExpectSelectBack(dc_, start_);
  }
}

// --- Action button ------------------------------------------------------------------

TEST_F(PaintingTest, ButtonLabelAndColoursInBothLooks) {
  const struct {
    int32_t installed;
    int32_t pressed;
    const char* label;
    platform::DrawObject (*brush)();
    uint32_t textColour;
  } cases[] = {
      {0, 0, "Install", [] { return platform::GetStockDrawObject(platform::STOCK_WHITE_BRUSH); }, BLACK},
      {1, 0, "Remove", [] { return platform::GetStockDrawObject(platform::STOCK_WHITE_BRUSH); }, BLACK},
      {0, 1, "Install", [] { return platform::GetStockDrawObject(platform::STOCK_BLACK_BRUSH); }, WHITE},
      // Any non-zero pressed flag is the pressed look.
      {1, -7, "Remove", [] { return platform::GetStockDrawObject(platform::STOCK_BLACK_BRUSH); }, WHITE},
  };
  Prepare();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.label << " pressed " << c.pressed);
    platform::fake::ClearCanvasLog();
    dc_ = platform::fake::MakeDrawContext();
    start_ = platform::fake::GetDrawContextState(dc_);
    state_.installed = c.installed;
    ui::DrawActionButton(state_, dc_, c.pressed);

    const std::vector<CanvasCall> shapes = Calls(CanvasOp::RoundRect);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].held.pen, platform::GetStockDrawObject(platform::STOCK_BLACK_PEN));
    EXPECT_EQ(shapes[0].held.brush, c.brush());
    EXPECT_EQ(shapes[0].ellipseWidth, 8);
    EXPECT_EQ(shapes[0].ellipseHeight, 8);

    const std::vector<CanvasCall> texts = Calls(CanvasOp::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, c.label);
    EXPECT_EQ(texts[0].placement, CENTRED_BOTH);
    EXPECT_EQ(texts[0].held.font, state_.largeFont);
    EXPECT_EQ(texts[0].held.textColour, c.textColour);
    EXPECT_TRUE(texts[0].held.transparent);
    ExpectSelectBack(dc_, start_);
  }
}

TEST_F(PaintingTest, ButtonAndBannerStoreTheSameRectangle) {
  Prepare();
  EXPECT_EQ(state_.buttonRect.right, 0);
  ui::DrawActionButton(state_, dc_, 0);
  const app::Rect fromButton = state_.buttonRect;
  EXPECT_EQ((Box{fromButton.left, fromButton.top, fromButton.right, fromButton.bottom}),
            (Box{580, 444, 880, 504}));

  state_.buttonRect = {};
  ui::DrawProgressBanner(state_, dc_, 0);
  EXPECT_EQ((Box{state_.buttonRect.left, state_.buttonRect.top, state_.buttonRect.right,
                 state_.buttonRect.bottom}),
            (Box{fromButton.left, fromButton.top, fromButton.right, fromButton.bottom}));
}

TEST_F(PaintingTest, PaintDrawsTheButtonReleased) {
  Prepare();
  state_.installed = 1;
  state_.osClass = 0;
  ui::PaintWindow(state_, dc_);
  EXPECT_EQ(state_.buttonRect.left, 580);
  const std::vector<CanvasCall> shapes = Calls(CanvasOp::RoundRect);
  ASSERT_EQ(shapes.size(), 1u);
  EXPECT_EQ(shapes[0].held.brush, platform::GetStockDrawObject(platform::STOCK_WHITE_BRUSH));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"O/S: < XP", "Brevik and Mireline are already installed...",
                                               "previous version has to be removed before installing new one...",
                                               "Remove"}));
  ExpectSelectBack(dc_, start_);
}

// --- Progress banner ------------------------------------------------------------------

TEST_F(PaintingTest, BannerShowsInstallingOnlyInPhaseOne) {
  Prepare();
  std::strcpy(state_.statusText, "Installing driver");
  const struct {
    int32_t phase;
    std::vector<std::string> texts;
  } cases[] = {
      {0, {"Installing driver"}},
      {1, {"Installing", "Installing driver"}},
      {2, {"Installing driver"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.phase);
    platform::fake::ClearCanvasLog();
    dc_ = platform::fake::MakeDrawContext();
    start_ = platform::fake::GetDrawContextState(dc_);
    ui::DrawProgressBanner(state_, dc_, c.phase);

    const std::vector<CanvasCall> shapes = Calls(CanvasOp::RoundRect);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].held.pen, platform::GetStockDrawObject(platform::STOCK_BLACK_PEN));
    EXPECT_EQ(shapes[0].held.brush, platform::GetStockDrawObject(platform::STOCK_BLACK_BRUSH));
    EXPECT_EQ(Texts(), c.texts);
    if (const CanvasCall* installing = TextCall("Installing")) {
      EXPECT_EQ(installing->placement, CENTRED_BOTH);
      EXPECT_EQ(installing->held.font, state_.largeFont);
      EXPECT_EQ(installing->held.textColour, WHITE);
      EXPECT_TRUE(installing->held.transparent);
    }
    const CanvasCall* status = TextCall("Installing driver");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->placement, CENTRED_ACROSS);
    EXPECT_EQ(status->held.font, state_.smallFont);
    EXPECT_EQ(status->held.textColour, WHITE);
    EXPECT_TRUE(status->held.transparent);
    ExpectSelectBack(dc_, start_);
  }
}

TEST_F(PaintingTest, BannerWithEmptyStatusStillDrawsTheBanner) {
  Prepare();
  ui::DrawProgressBanner(state_, dc_, 0);
  EXPECT_EQ(Calls(CanvasOp::RoundRect).size(), 1u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{""}));
}

TEST_F(PaintingTest, BannerNeverReadsPastAStatusBufferWithoutTerminator) {
  Prepare();
  // A worker caught mid-write could leave no zero byte at all.
  std::memset(state_.statusText, 'x', sizeof state_.statusText);
  ui::DrawProgressBanner(state_, dc_, 0);
  const std::vector<CanvasCall> texts = Calls(CanvasOp::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, std::string(app::STATUS_TEXT_SIZE - 1, 'x'));
}

// --- Select-back across a whole paint ---------------------------------------------

TEST_F(PaintingTest, EveryOperationSelectsBackWhatItFound) {
  Prepare();
  std::strcpy(state_.statusText, "Extracting");
  ui::PaintWindow(state_, dc_);
  ui::DrawActionButton(state_, dc_, 1);
  ui::DrawProgressBanner(state_, dc_, 1);
  ui::DrawProgressBanner(state_, dc_, 0);
  ui::DrawInfoPanel(state_, dc_);
  EXPECT_GE(Calls(CanvasOp::Select).size(), 20u);
  ExpectSelectBack(dc_, start_);
}

TEST_F(PaintingTest, BitmapIsCopiedWholeToThePoint) {
  Prepare();
  ui::DrawBitmapAt(dc_, 0, 0, state_.backgroundBitmap);
  ui::DrawBitmapAt(dc_, 12, -3, state_.backgroundBitmap);
  const std::vector<CanvasCall> copies = Calls(CanvasOp::CopyBitmap);
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[0].object, state_.backgroundBitmap);
  EXPECT_EQ(copies[0].dc, dc_);
  EXPECT_EQ(copies[0].left, 0);
  EXPECT_EQ(copies[0].top, 0);
  EXPECT_EQ(copies[1].left, 12);
  EXPECT_EQ(copies[1].top, -3);
  EXPECT_TRUE(Calls(CanvasOp::Select).empty());
}

}  // namespace

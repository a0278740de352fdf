// The painting through the GDI canvas, under Wine: the program's own
// resources are loaded by PrepareWindowState and the window is painted into a
// 32-bit memory bitmap whose pixels are then read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/app_state.h"
#include "platform/canvas.h"
#include "ui/painting.h"

namespace {

constexpr int WIDTH = 900;
constexpr int HEIGHT = 424 + 100;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BLACK = 0x000000;

// A memory context over a top-down 32-bit bitmap of the window's client
// area, so that pixel (x, y) is word y * WIDTH + x, as 0x00RRGGBB.
class Surface {
 public:
  Surface() {
    dc_ = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = WIDTH;
    info.bmiHeader.biHeight = -HEIGHT;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    if (bitmap_ != nullptr) previous_ = ::SelectObject(dc_, bitmap_);
    Fill(0x00FF00FF);
  }
  ~Surface() {
    if (previous_ != nullptr) ::SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    if (dc_ != nullptr) ::DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  bool Ready() const { return dc_ != nullptr && bits_ != nullptr; }
  platform::DrawContext Dc() const { return dc_; }
  HDC Hdc() const { return dc_; }

  void Fill(uint32_t rgb) {
    ::GdiFlush();
    if (bits_ != nullptr) {
      for (int i = 0; i < WIDTH * HEIGHT; ++i) bits_[i] = rgb;
    }
  }

  uint32_t At(int x, int y) const {
    ::GdiFlush();
    return bits_[y * WIDTH + x] & 0x00FFFFFF;
  }

  // Pixels of colour `rgb` in [left, right) x [top, bottom).
  int Count(int left, int top, int right, int bottom, uint32_t rgb) const {
    ::GdiFlush();
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) count += At(x, y) == rgb ? 1 : 0;
    }
    return count;
  }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Pixel (x, y) of bitmap resource 101 as stored (bottom-up, 24 bits), as
// 0x00RRGGBB.
uint32_t ResourcePixel(int x, int y) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  const auto* data = static_cast<const uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
  BITMAPINFOHEADER info;
  std::memcpy(&info, data, sizeof info);
  const int stride = ((info.biWidth * 3 + 3) / 4) * 4;
  const uint8_t* pixel = data + info.biSize + (info.biHeight - 1 - y) * stride + x * 3;
  return (uint32_t{pixel[2]} << 16) | (uint32_t{pixel[1]} << 8) | pixel[0];
}

class GdiPaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::ClearAppState(state_);
    state_.instance = ::GetModuleHandleA(nullptr);
    ui::PrepareWindowState(state_);
    ASSERT_TRUE(surface_.Ready());
  }
  void TearDown() override { ui::FreeWindowResources(state_); }

  app::AppState state_;
  Surface surface_;
};

TEST_F(GdiPaintingTest, PrepareLoadsTheProgramsPictureFontsAndCursor) {
  EXPECT_NE(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(state_.bitmapWidth, 900);
  EXPECT_EQ(state_.bitmapHeight, 424);
  EXPECT_NE(state_.smallFont, nullptr);
  EXPECT_NE(state_.largeFont, nullptr);
  EXPECT_NE(state_.handCursor, nullptr);
  EXPECT_NE(state_.modulePath[0], '\0');

  LOGFONTA small;
  ASSERT_EQ(::GetObjectA(state_.smallFont, sizeof small, &small), static_cast<int>(sizeof small));
  EXPECT_STREQ(small.lfFaceName, "Arial");
  EXPECT_EQ(small.lfHeight, 16);
  EXPECT_EQ(small.lfWeight, 800);
  EXPECT_EQ(small.lfWidth, 0);
  EXPECT_EQ(small.lfItalic, 0);
  EXPECT_EQ(small.lfCharSet, 0);
  LOGFONTA large;
  ASSERT_EQ(::GetObjectA(state_.largeFont, sizeof large, &large), static_cast<int>(sizeof large));
  EXPECT_EQ(large.lfHeight, 40);
  EXPECT_EQ(large.lfWeight, 400);
}

// The pen, brush and font a context holds.
struct Held {
  HGDIOBJ pen, brush, font;
  bool operator==(const Held&) const = default;
};

Held HeldBy(HDC dc) {
  return {::GetCurrentObject(dc, OBJ_PEN), ::GetCurrentObject(dc, OBJ_BRUSH), ::GetCurrentObject(dc, OBJ_FONT)};
}

TEST_F(GdiPaintingTest, PictureIsCopiedPixelForPixel) {
  ui::DrawBitmapAt(surface_.Dc(), 0, 0, state_.backgroundBitmap);
  for (auto [x, y] : {std::pair{0, 0}, {450, 200}, {899, 423}, {120, 150}, {700, 90}}) {
    EXPECT_EQ(surface_.At(x, y), ResourcePixel(x, y)) << x << "," << y;
  }
  // Nothing below the picture.
  EXPECT_EQ(surface_.At(10, 424), 0xFF00FFu);
}

TEST_F(GdiPaintingTest, PaintShowsPanelReleasedButtonAndTexts) {
  ui::DrawBitmapAt(surface_.Dc(), 0, 0, state_.backgroundBitmap);
  state_.installed = 0;
  state_.osClass = 4;
  const Held before = HeldBy(surface_.Hdc());
  ui::PaintWindow(state_, surface_.Dc());
  EXPECT_TRUE(HeldBy(surface_.Hdc()) == before);

  // The panel: white from y 424 to 523 across the full width; the band
  // above the button holds no text.
  EXPECT_EQ(surface_.Count(0, 424, 900, 444, WHITE), 900 * 20);
  EXPECT_EQ(surface_.At(0, 523), WHITE);
  EXPECT_EQ(surface_.At(899, 523), WHITE);
  // The button: a black outline on (580, 444, 880, 504), white inside and a
  // black label.
  EXPECT_EQ(surface_.At(580, 474), BLACK);
  EXPECT_EQ(surface_.At(880, 474), BLACK);
  EXPECT_EQ(surface_.At(730, 444), BLACK);
  EXPECT_EQ(surface_.At(730, 504), BLACK);
  EXPECT_EQ(surface_.At(579, 474), WHITE);
  EXPECT_EQ(surface_.At(881, 474), WHITE);
  EXPECT_EQ(surface_.At(730, 505), WHITE);
  EXPECT_EQ(surface_.At(590, 450), WHITE);
  EXPECT_GT(surface_.Count(600, 450, 860, 500, BLACK), 20);
  EXPECT_EQ(state_.buttonRect.left, 580);
  EXPECT_EQ(state_.buttonRect.bottom, 504);
  // The panel's lines: black, then grey.
  EXPECT_GT(surface_.Count(20, 454, 560, 474, BLACK), 20);
  EXPECT_GT(surface_.Count(20, 474, 560, 494, 0x646464), 20);
  // The operating-system line: black text on the picture, whose background
  // shows through (the picture has no pure white there, an opaque text
  // background would).
  EXPECT_GT(surface_.Count(20, 400, 300, 424, BLACK), 10);
  EXPECT_EQ(surface_.Count(20, 400, 740, 424, WHITE), 0);
}

TEST_F(GdiPaintingTest, PressedButtonIsBlackWithWhiteLabel) {
  surface_.Fill(WHITE);
  state_.installed = 1;
  const Held before = HeldBy(surface_.Hdc());
  ui::DrawActionButton(state_, surface_.Dc(), 1);
  EXPECT_TRUE(HeldBy(surface_.Hdc()) == before);
  EXPECT_EQ(surface_.At(590, 450), BLACK);
  EXPECT_EQ(surface_.At(870, 498), BLACK);
  EXPECT_GT(surface_.Count(600, 450, 860, 500, WHITE), 20);
  EXPECT_EQ(surface_.At(579, 474), WHITE);
}

TEST_F(GdiPaintingTest, BannerBlinksInstallingOverItsStatusLine) {
  surface_.Fill(WHITE);
  std::strcpy(state_.statusText, "Copying files");
  const Held before = HeldBy(surface_.Hdc());

  ui::DrawProgressBanner(state_, surface_.Dc(), 1);
  EXPECT_TRUE(HeldBy(surface_.Hdc()) == before);
  EXPECT_EQ(surface_.At(590, 450), BLACK);
  EXPECT_GT(surface_.Count(600, 450, 860, 480, WHITE), 20);
  EXPECT_GT(surface_.Count(600, 486, 860, 504, WHITE), 5);
  EXPECT_EQ(state_.buttonRect.right, 880);

  // The next tick paints the whole banner black again, without the word.
  ui::DrawProgressBanner(state_, surface_.Dc(), 0);
  EXPECT_EQ(surface_.Count(600, 450, 860, 480, WHITE), 0);
  EXPECT_GT(surface_.Count(600, 486, 860, 504, WHITE), 5);
  EXPECT_TRUE(HeldBy(surface_.Hdc()) == before);
}

TEST_F(GdiPaintingTest, FreeDeletesTheObjectsOnce) {
  const HGDIOBJ bitmap = state_.backgroundBitmap;
  const HGDIOBJ small = state_.smallFont;
  const HGDIOBJ large = state_.largeFont;
  ASSERT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
  ASSERT_EQ(::GetObjectType(small), static_cast<DWORD>(OBJ_FONT));
  ui::FreeWindowResources(state_);
  EXPECT_EQ(::GetObjectType(bitmap), 0u);
  EXPECT_EQ(::GetObjectType(small), 0u);
  EXPECT_EQ(::GetObjectType(large), 0u);
  EXPECT_EQ(state_.backgroundBitmap, nullptr);
  EXPECT_EQ(state_.smallFont, nullptr);
  EXPECT_EQ(state_.largeFont, nullptr);
  ui::FreeWindowResources(state_);
  EXPECT_NE(state_.handCursor, nullptr);
}

TEST(GdiCanvas, FontFaceMustFitItsField) {
  const std::string fits(31, 'F');
  platform::FontHandle font = platform::CreateCanvasFont(fits.c_str(), 16, 400);
  ASSERT_NE(font, nullptr);
  LOGFONTA description;
  ASSERT_EQ(::GetObjectA(font, sizeof description, &description), static_cast<int>(sizeof description));
  EXPECT_EQ(std::string(description.lfFaceName), fits);
  platform::DeleteCanvasFont(font);

  const std::string tooLong(32, 'F');
  EXPECT_EQ(platform::CreateCanvasFont(tooLong.c_str(), 16, 400), nullptr);
}

TEST(GdiCanvas, MissingBitmapResourceLoadsNothing) {
  const platform::LoadedBitmap loaded = platform::LoadBitmapResource(nullptr, 4321);
  EXPECT_EQ(loaded.bitmap, nullptr);
  EXPECT_EQ(loaded.width, 0);
  EXPECT_EQ(loaded.height, 0);
}

}  // namespace

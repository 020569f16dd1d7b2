// Text drawn with a D3DX font lands in the current render target where its rectangle and alignment
// put it; a face the machine lacks is replaced by one with the same metrics.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <algorithm>
#include <functional>
#include <string>

#include "platform/d3dx9/font_face.h"
#include "tests/d3dx9/d3dx_device_fixture.h"

namespace {

struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;  // lit pixels, right/bottom inclusive
  bool Empty() const { return right < 0; }
};

// Draws into a 256 x 256 render-target texture, as the text elements do.
class FontDrawTest : public D3DXDeviceTest {
 protected:
  void SetUp() override {
    D3DXDeviceTest::SetUp();
    ASSERT_EQ(device_->CreateTexture(256, 256, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target_,
                                     nullptr),
              S_OK);
    ASSERT_EQ(target_->GetSurfaceLevel(0, &surface_), S_OK);
    ASSERT_EQ(device_->GetRenderTarget(0, &back_), S_OK);
    ASSERT_EQ(device_->SetRenderTarget(0, surface_), S_OK);
    ASSERT_EQ(D3DXCreateFontW(device_, 32, 0, 700, 1, FALSE, 1, 0, 0, 0, u"Arial", &font_), S_OK);
  }
  void TearDown() override {
    if (font_) {
      EXPECT_EQ(font_->Release(), 0u);
    }
    if (back_) {
      device_->SetRenderTarget(0, back_);
      back_->Release();
    }
    if (surface_) surface_->Release();
    if (target_) target_->Release();
    D3DXDeviceTest::TearDown();
  }

  // The box of the pixels the text lit, and the brightest green seen.
  Box Draw(const char16_t* text, RECT rect, DWORD format, D3DCOLOR color, DWORD* brightest = nullptr) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    font_->DrawTextW(nullptr, text, -1, &rect, format, color);
    Box box;
    UINT w = 0, h = 0;
    const std::vector<uint32_t> texels = ReadLevel(target_, 0, &w, &h);
    DWORD maxGreen = 0;
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) {
        const DWORD green = (texels[y * w + x] >> 8) & 0xFF;
        maxGreen = std::max(maxGreen, green);
        if (green < 0x80) continue;
        box.left = std::min(box.left, int(x)), box.right = std::max(box.right, int(x));
        box.top = std::min(box.top, int(y)), box.bottom = std::max(box.bottom, int(y));
      }
    if (brightest) *brightest = maxGreen;
    return box;
  }

  IDirect3DTexture9* target_ = nullptr;
  IDirect3DSurface9* surface_ = nullptr;
  IDirect3DSurface9* back_ = nullptr;
  ID3DXFont* font_ = nullptr;
};

TEST_F(FontDrawTest, AlignmentPlacesTheGlyphsInTheRectangle) {
  const RECT rect{40, 30, 216, 226};
  const struct {
    const char* what;
    DWORD format;
    std::function<void(const Box&)> check;
  } cases[] = {
      {"left top", DT_LEFT,
       [](const Box& b) {
         EXPECT_LT(b.left, 50);
         EXPECT_GE(b.top, 30);
         EXPECT_LT(b.bottom, 30 + 32);
       }},
      {"right bottom", DT_RIGHT | DT_BOTTOM,
       [](const Box& b) {
         EXPECT_GT(b.right, 205);
         EXPECT_LE(b.right, 215);
         EXPECT_GT(b.top, 226 - 32);
         EXPECT_LE(b.bottom, 225);
       }},
      {"centre", DT_CENTER | DT_VCENTER,
       [](const Box& b) {
         EXPECT_NEAR((b.left + b.right) / 2.0, 128.0, 4.0);
         EXPECT_NEAR((b.top + b.bottom) / 2.0, 128.0, 8.0);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DWORD brightest = 0;
    const Box box = Draw(u"HIH", rect, c.format, 0xFFFFFFFF, &brightest);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(brightest, 0xF0u);
    EXPECT_GE(box.left, 40);
    EXPECT_LE(box.right, 215);
    c.check(box);
  }
}

TEST_F(FontDrawTest, TextIsClippedToItsRectangleAndTransparentTextDrawsNothing) {
  const Box clipped = Draw(u"HHHHHHHHHHHH", RECT{100, 100, 140, 120}, DT_LEFT, 0xFFFFFFFF);
  ASSERT_FALSE(clipped.Empty());
  EXPECT_GE(clipped.left, 100);
  EXPECT_LE(clipped.right, 139);
  EXPECT_GE(clipped.top, 100);
  EXPECT_LE(clipped.bottom, 119);
  EXPECT_TRUE(Draw(u"HIH", RECT{0, 0, 256, 256}, DT_LEFT, 0x00FFFFFF).Empty());
}

// A text far longer than its rectangle lights exactly the pixels its visible part lights, in every
// alignment, however many lines and glyphs lie outside (they are passed over, not drawn).
TEST_F(FontDrawTest, ALongTextLightsWhatItsVisiblePartLights) {
  std::u16string longLine(20000, u'W');
  std::u16string manyLines;
  for (int i = 0; i < 2000; ++i) manyLines += u"Wide\n";
  auto pixels = [&](const std::u16string& text, RECT rect, DWORD format) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    font_->DrawTextW(nullptr, text.c_str(), -1, &rect, format, 0xFFFFFFFF);
    UINT w = 0, h = 0;
    return ReadLevel(target_, 0, &w, &h);
  };
  const RECT inside{20, 20, 236, 236};
  // A run of one glyph wider than the rectangle shows the same glyphs at the same places whatever its
  // length: at its start when left-aligned, its middle when centred, its end when right-aligned.
  for (DWORD format : {DWORD{DT_LEFT}, DWORD{DT_CENTER | DT_VCENTER}, DWORD{DT_RIGHT | DT_BOTTOM}}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(pixels(longLine, inside, format), pixels(longLine.substr(0, 12), inside, format));
  }
  EXPECT_EQ(pixels(manyLines, inside, DT_LEFT), pixels(manyLines.substr(0, 5 * 10), inside, DT_LEFT));
}

TEST_F(FontDrawTest, EachLineBreakStartsALine) {
  const Box one = Draw(u"H", RECT{0, 0, 256, 256}, DT_LEFT, 0xFFFFFFFF);
  const Box two = Draw(u"H\nH", RECT{0, 0, 256, 256}, DT_LEFT, 0xFFFFFFFF);
  ASSERT_FALSE(one.Empty());
  EXPECT_EQ(two.top, one.top);
  EXPECT_NEAR(two.bottom - one.bottom, 32, 3);
}

TEST_F(FontDrawTest, HalfTransparentTextDrawsAtHalfStrength) {
  EXPECT_EQ(font_->DrawTextW(nullptr, u"H", -1, nullptr, DT_LEFT, 0xFFFFFFFF), 0) << "no rectangle";
  DWORD brightest = 0;
  Draw(u"HIH", RECT{0, 0, 256, 256}, DT_LEFT, 0x80FFFFFF, &brightest);
  EXPECT_NEAR(double(brightest), 128.0, 2.0);
}

// "Arial" is not on the machine; fontconfig's substitute must have its advance widths, or every text
// would be laid out wider or narrower than the scene was made for.
TEST(FontFace, ArialFallsBackToAFaceWithItsMetrics) {
  const struct {
    unsigned weight;
    FT_Pos advanceOfI;  // in font units of a 2048 em
  } cases[] = {{400, 455}, {700, 569}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.weight);
    d3dx9::FontFace face = d3dx9::OpenFontFace(u"Arial", 32, c.weight, false);
    ASSERT_TRUE(face);
    ASSERT_EQ(face->units_per_EM, 2048);
    ASSERT_EQ(FT_Load_Char(face.get(), 'H', FT_LOAD_NO_SCALE), 0);
    EXPECT_EQ(face->glyph->advance.x, 1479);
    ASSERT_EQ(FT_Load_Char(face.get(), 'i', FT_LOAD_NO_SCALE), 0);
    EXPECT_EQ(face->glyph->advance.x, c.advanceOfI);
  }
}

}  // namespace

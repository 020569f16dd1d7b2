// A text element drawn through the software device: the glyphs land in its target where its
// alignment puts them, and on the layer inside its quad around its position.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "render/ab_obj.h"
#include "document/device.h"
#include "slideshow/light_2d.h"
#include "tests/objects/static_text_fixture.h"

namespace static_text_test {
namespace {

// The smallest rectangle holding every pixel that passes the test; empty (right <= left) for none.
struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  bool Empty() const { return right < left; }
  void Add(int x, int y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + 1);
    bottom = std::max(bottom, y + 1);
  }
};

template <class Lit>
Box LitBox(const std::vector<uint32_t>& pixels, int width, Lit lit) {
  Box box;
  for (size_t i = 0; i < pixels.size(); ++i)
    if (lit(pixels[i])) box.Add(int(i % size_t(width)), int(i / size_t(width)));
  return box;
}

struct Expected {
  INT horizontal, vertical;
  // Where the glyph box must lie, relative to the element's rectangle of width w and height h.
  bool (*fits)(const Box& box, int w, int h);
};

// "II" at height 32 is at most 40 x 34 pixels; each alignment pins the sides it names.
const Expected kAlignments[] = {
    {0, 0, [](const Box& b, int, int) { return b.left <= 6 && b.right <= 40 && b.top <= 10 && b.bottom <= 34; }},
    {2, 2,
     [](const Box& b, int w, int h) { return b.right >= w - 6 && b.left >= w - 40 && b.bottom >= h - 12 && b.top >= h - 34; }},
    {1, 1,
     [](const Box& b, int w, int h) {
       return std::abs((b.left + b.right) - w) <= 8 && std::abs((b.top + b.bottom) - h) <= 12 && b.left > 6 && b.top > 6;
     }},
    // Values outside 0 to 2 draw like left and top.
    {5, 5, [](const Box& b, int, int) { return b.left <= 6 && b.right <= 40 && b.top <= 10 && b.bottom <= 34; }},
};

class StaticTextPixelsTest : public TextSceneTest {
 protected:
  // An opaque black picture of the back buffer's size, so that the layer maps picture pixels 1:1.
  void ShowBlackPicture(DS_2D_Light& light) {
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, black_.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(black_->LockRect(0, &locked, nullptr, 0), S_OK);
    for (int y = 0; y < 4; ++y)
      std::fill_n(reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch), 4, 0xFF000000u);
    black_->UnlockRect(0);
    light.CreateScreenQuad();
    light.picture.SetFromInfo(256, 256, black_.Get());
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(256, 256);
    light.SetPicturePosition(kFit);
    light.RestoreDeviceResources();
  }

  std::vector<uint32_t> BackBuffer() { return screen_.BackBuffer(); }

  ComHolder<IDirect3DTexture9> black_;
};

TEST_F(StaticTextPixelsTest, GlyphsLandInTheTargetWhereTheAlignmentPutsThem) {
  constexpr int kW = 128, kH = 64;
  for (const Expected& c : kAlignments) {
    SCOPED_TRACE(testing::Message() << c.horizontal << ", " << c.vertical);
    auto d = MakeText(u"II", kW, kH);
    d->horizontalAlignment = c.horizontal;
    d->verticalAlignment = c.vertical;
    d->LoadResources();
    ASSERT_TRUE(d->fontObject);
    DS_2D_Light layer;
    d->SetEffectParameters(&layer);
    UINT width = 0, height = 0;
    const std::vector<uint32_t> pixels = TargetPixels(*d, &width, &height);
    ASSERT_EQ(width, UINT(kW));
    ASSERT_EQ(height, UINT(kH));
    // Fully covered glyph pixels are opaque white; everything else stays transparent black.
    const Box box = LitBox(pixels, kW, [](uint32_t p) { return p == 0xFFFFFFFFu; });
    ASSERT_FALSE(box.Empty());
    EXPECT_TRUE(c.fits(box, kW, kH)) << box.left << "," << box.top << " - " << box.right << "," << box.bottom;
    // Partly covered pixels only at the glyph edges.
    const Box any = LitBox(pixels, kW, [](uint32_t p) { return p != 0; });
    EXPECT_GE(any.left, box.left - 2);
    EXPECT_LE(any.right, box.right + 2);
    EXPECT_GE(any.top, box.top - 2);
    EXPECT_LE(any.bottom, box.bottom + 2);
  }
}

// The element's quad is centred on its position and sized by its width and height; the effect
// draws it with the text target, tinted by the sprite colour (red from the constructor).
TEST_F(StaticTextPixelsTest, TextShowsOnTheLayerInsideTheElementQuad) {
  constexpr int kW = 128, kH = 64, kLeft = 64, kTop = 96;
  for (const Expected& c : kAlignments) {
    SCOPED_TRACE(testing::Message() << c.horizontal << ", " << c.vertical);
    DS_2D_Light light;
    ShowBlackPicture(light);
    auto d = MakeText(u"II", kW, kH);
    d->horizontalAlignment = c.horizontal;
    d->verticalAlignment = c.vertical;
    d->position = D3DXVECTOR3(kLeft + kW / 2, kTop + kH / 2, 0.0f);
    std::unique_ptr<DS_ABObj> object(d->CreateObject());
    ASSERT_EQ(device_->BeginScene(), S_OK);
    light.Render(false);
    object->Update(0.05f);
    object->Render(light);
    device_->EndScene();
    const std::vector<uint32_t> pixels = BackBuffer();
    ASSERT_EQ(pixels.size(), 256u * 256u);
    const Box bright = LitBox(pixels, 256, [](uint32_t p) { return (p >> 16 & 0xFF) >= 250; });
    ASSERT_FALSE(bright.Empty());
    const Box local{bright.left - kLeft, bright.top - kTop, bright.right - kLeft, bright.bottom - kTop};
    EXPECT_TRUE(c.fits(local, kW, kH)) << local.left << "," << local.top << " - " << local.right << "," << local.bottom;
    const Box any = LitBox(pixels, 256, [](uint32_t p) { return p != 0; });
    EXPECT_GE(any.left, kLeft);
    EXPECT_GE(any.top, kTop);
    EXPECT_LE(any.right, kLeft + kW);
    EXPECT_LE(any.bottom, kTop + kH);
    // Red text: the white glyphs times the red vertex colour.
    const Box coloured = LitBox(pixels, 256, [](uint32_t p) { return (p & 0x00FFFF) != 0; });
    EXPECT_TRUE(coloured.Empty());
  }
}

// Half the fade alpha gives visibly fainter glyphs than full alpha, and alpha 0 draws nothing.
TEST_F(StaticTextPixelsTest, FadeAlphaDimsTheGlyphs) {
  auto brightest = [&](float alpha) {
    DS_2D_Light light;
    ShowBlackPicture(light);
    auto d = MakeText(u"II", 64, 64);
    d->position = D3DXVECTOR3(128, 128, 0);
    std::unique_ptr<DS_ABObj> object(d->CreateObject());
    auto* clone = static_cast<DS_StaticTextConstructor*>(object->Controller());
    EXPECT_TRUE(device_->BeginScene() == S_OK);
    light.Render(false);
    object->Update(0.05f);
    clone->alpha = alpha;
    object->Render(light);
    device_->EndScene();
    int best = 0;
    for (uint32_t p : BackBuffer()) best = std::max(best, int(p >> 16 & 0xFF));
    return best;
  };
  const int full = brightest(1.0f), half = brightest(0.5f), none = brightest(0.0f);
  EXPECT_GE(full, 250);
  EXPECT_GT(half, 0);
  EXPECT_LT(half, full - 60);
  EXPECT_EQ(none, 0);
}

// Font heights from a hostile document: the font may not be made, or be far larger than the target;
// the text is then clipped to the target or not drawn, and the target stays the element's.
TEST_F(StaticTextPixelsTest, HostileFontHeightsKeepTheDrawingInsideTheTarget) {
  for (INT height : {0, -1, 100000, -100000, INT_MAX, INT_MIN + 1, INT_MIN}) {
    SCOPED_TRACE(height);
    auto d = MakeText(u"IW", 64, 32);
    d->font.height = height;
    d->LoadResources();
    DS_2D_Light layer;
    d->SetEffectParameters(&layer);
    UINT width = 0, targetHeight = 0;
    const std::vector<uint32_t> pixels = TargetPixels(*d, &width, &targetHeight);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(targetHeight, 32u);
    EXPECT_EQ(pixels.size(), 64u * 32u);
  }
}

// A font height beyond the tallest one is drawn as the tallest, the glyphs' own heights (negative)
// likewise: the text looks the same and takes the time that one takes.
TEST_F(StaticTextPixelsTest, FontHeightsBeyondTheTallestDrawAsTheTallest) {
  const auto draw = [&](INT height) {
    // Centred both ways, so that the middle of the stem shows in the box.
    auto d = MakeText(u"I", 64, 32);
    d->horizontalAlignment = 1;
    d->verticalAlignment = 1;
    d->font.height = height;
    d->LoadResources();
    DS_2D_Light layer;
    d->SetEffectParameters(&layer);
    UINT width = 0, targetHeight = 0;
    return TargetPixels(*d, &width, &targetHeight);
  };
  const auto lit = [](const std::vector<uint32_t>& pixels) {
    int count = 0;
    for (uint32_t pixel : pixels) count += (pixel >> 24) != 0;
    return count;
  };
  constexpr INT kTallest = DS_StaticTextConstructor::kMaxFontHeight;
  for (INT sign : {1, -1}) {
    const std::vector<uint32_t> tallest = draw(sign * kTallest);
    EXPECT_GT(lit(tallest), 64 * 4);
    for (INT height : {kTallest + 1, 20000, INT_MAX}) {
      SCOPED_TRACE(sign * height);
      EXPECT_EQ(draw(sign * height), tallest);
    }
  }
}

}  // namespace
}  // namespace static_text_test

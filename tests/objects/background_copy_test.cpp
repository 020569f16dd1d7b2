// The background copy brush: its record, the "offset" it gives its effect and the moved picture the
// effect draws.
#include "objects/background_copy.h"

#include <gtest/gtest.h>

#include "objects/brush_obj.h"
#include "screen_brush_fixture.h"
#include "tests/support/builder_stream.h"

namespace brush_test {
namespace {

struct CopyFields {
  int32_t rect[6] = {1, 2, 3, 4, 100, -40};  // left, right, top, bottom, x offset, y offset
  int32_t yWrap = 1;
  int32_t xWrap = 0;
};

docbuild::Bytes CopyRecord(const CopyFields& f = {}) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_BackgroundCopy", 1);
  for (int32_t v : f.rect) doc.I32(v);
  doc.I32(f.yWrap).I32(f.xWrap);
  BrushBaseLevel(doc, 75, 7);
  return doc.Document();
}

using BackgroundCopyTest = ScreenBrushTest;

TEST_F(BackgroundCopyTest, RegisteredReaderReadsTheRecord) {
  auto brush = ReadRegistered<DS_BackgroundCopy>(CopyRecord());
  ASSERT_TRUE(brush);
  EXPECT_EQ(brush->rectangle.left.value, 1);
  EXPECT_EQ(brush->rectangle.bottom.value, 4);
  EXPECT_EQ(brush->rectangle.centreX.value, 100);
  EXPECT_EQ(brush->rectangle.centreY.value, -40);
  EXPECT_EQ(brush->yWrap.value, 1);
  EXPECT_EQ(brush->xWrap.value, 0);
  EXPECT_EQ(brush->speed.value, 7u);
  EXPECT_EQ(brush->name, u"screen");
  EXPECT_EQ(brush->effectLink.stamp, 75);
}

TEST_F(BackgroundCopyTest, DefaultsAndSaveMatchTheRecord) {
  DS_BackgroundCopy fresh;
  EXPECT_EQ(fresh.effectLink.path, u"vaultkit.dll");
  EXPECT_EQ(fresh.effectLink.stamp, 75);
  EXPECT_FLOAT_EQ(fresh.speed.derived, 0.0f);
  EXPECT_EQ(fresh.rectangle.centreX.value, 0);

  auto brush = ReadRegistered<DS_BackgroundCopy>(CopyRecord());
  ASSERT_TRUE(brush);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(brush->Save(&stream));
  EXPECT_EQ(out.doc.Document(), CopyRecord());
}

TEST_F(BackgroundCopyTest, TruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = CopyRecord();
  for (size_t length : {size_t(10), size_t(30), whole.size() - 5}) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(ReadRegistered<DS_BackgroundCopy>(docbuild::Truncated(whole, length)));
  }
}

// ox = x offset / width, oy = y offset / height, each plus one whole picture with its wrap.
TEST_F(BackgroundCopyTest, OffsetIsAFractionOfThePicturePlusTheWraps) {
  struct Case {
    int32_t x, y;
    int32_t xWrap, yWrap;
    UINT w, h;
    float ox, oy;
  };
  const Case cases[] = {
      {100, 0, 0, 0, 800, 600, 0.125f, 0.0f},   {100, 0, 1, 0, 800, 600, 1.125f, 0.0f},
      {-100, 0, 0, 0, 800, 600, -0.125f, 0.0f}, {0, 150, 0, 1, 800, 600, 0.0f, 1.25f},
      {-200, -300, 7, -1, 800, 600, 0.75f, 0.5f},
      // A layer without a picture moves nothing, rather than sending the offset to infinity.
      {100, 50, 0, 1, 0, 0, 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " wraps " << c.xWrap << c.yWrap << " " << c.w);
    DS_BackgroundCopy brush;
    brush.rectangle.centreX = c.x;
    brush.rectangle.centreY = c.y;
    brush.xWrap = c.xWrap;
    brush.yWrap = c.yWrap;
    brush.Load(nullptr);
    ASSERT_TRUE(brush.effect);
    DrawingLayer layer(c.w, c.h);
    brush.Apply(layer);
    EXPECT_EQ(LastSet(brush.effect.Get(), "SetFloatArray offset").values, (std::vector<float>{c.ox, c.oy}));
    EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
  }
}

// Through a render object and the device: a picture red on its left half and blue on its right,
// moved 64 pixels to the right, repeats at the left edge; the x wrap moves it by one more picture.
// The layer's picture repeats mirrored, so the strip uncovered by the move shows the mirrored copy,
// and the x wrap flag (one whole picture more) turns the moved picture into its mirror image.
TEST_F(BackgroundCopyTest, EffectDrawsThePictureMovedByTheOffset) {
  constexpr uint32_t kRed = 0xFF0000u, kBlue = 0x0000FFu;
  struct Case {
    int32_t wrap;
    uint32_t at30, at70, at180, at200;
  };
  for (const Case& c : {Case{0, kRed, kRed, kRed, kBlue}, Case{1, kBlue, kBlue, kBlue, kRed}}) {
    const int32_t wrap = c.wrap;
    SCOPED_TRACE(wrap);
    auto description = ReadRegistered<DS_BackgroundCopy>(CopyRecord({{0, 0, 0, 0, 64, 0}, 0, wrap}));
    ASSERT_TRUE(description);
    std::unique_ptr<DS_ABObj> object(description->CreateObject());
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(16, 16, [](UINT x, UINT) { return x < 8 ? 0xFF0000u : 0x0000FFu; });
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device_->BeginScene();
    object->Render(layer);
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    for (int y : {5, 128, 250}) {
      EXPECT_EQ(At(pixels, 30, y), c.at30);
      EXPECT_EQ(At(pixels, 70, y), c.at70);
      EXPECT_EQ(At(pixels, 180, y), c.at180);
      EXPECT_EQ(At(pixels, 200, y), c.at200);
    }
  }
}

// Where the mask is black the picture stays where it was.
TEST_F(BackgroundCopyTest, MaskKeepsThePlainPictureWhereItIsBlack) {
  DS_BackgroundCopy brush;
  brush.rectangle.centreX = 128;
  ComHolder<IDirect3DTexture9> mask = MakePicture(2, 2, [](UINT, UINT y) { return y == 0 ? 0x000000u : 0xFFFFFFu; });
  brush.Load(&mask);
  DrawingLayer layer(256, 256);
  layer.background = MakePicture(16, 16, [](UINT x, UINT) { return x < 8 ? 0xFF0000u : 0x0000FFu; });
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  EXPECT_EQ(At(pixels, 40, 60), 0xFF0000u);   // top: unmasked, unmoved
  EXPECT_EQ(At(pixels, 40, 200), 0xFF0000u);  // bottom: moved by half the picture, the mirrored copy beside it
  EXPECT_EQ(At(pixels, 220, 60), 0x0000FFu);
  EXPECT_EQ(At(pixels, 220, 200), 0xFF0000u);
}

}  // namespace
}  // namespace brush_test

// Scaled, compound and derived properties.
#include <gtest/gtest.h>

#include <limits>

#include "document/iof_reader.h"
#include "document/media_direction.h"
#include "document/media_quad.h"
#include "document/media_rectangle.h"
#include "document/scaled_params.h"
#include "tests/support/document_builder.h"

namespace {

class DerivedWatcher : public MediaControlT<MediaParamT<UINT>> {
 public:
  explicit DerivedWatcher(UINTSclaleTo<float>* scaled) : scaled_(scaled) { Attach(scaled); }
  void OnChange(MediaControl*) override { seen.push_back(scaled_->derived); }
  std::vector<float> seen;

 private:
  UINTSclaleTo<float>* scaled_;
};

TEST(ScaledParams, LaterObserversSeeTheNewDerivedValue) {
  UINTSclaleTo<float> speed;
  speed.scale = 0.02f;
  speed.OnChange(nullptr);
  DerivedWatcher watcher(&speed);
  speed.SetAndNotify(50);
  EXPECT_EQ(speed.derived, 1.0f);
  EXPECT_EQ(watcher.seen, std::vector<float>{1.0f});
  const auto observers = speed.Observers();
  ASSERT_EQ(observers.size(), 3u);
  EXPECT_EQ(observers[0], &speed.UndoControl());
  EXPECT_EQ(observers[1], static_cast<MediaControl*>(&speed));
}

TEST(ScaledParams, ByteResultTruncatesThroughAnInteger) {
  struct Case {
    float scale, offset;
    UINT value;
    unsigned char expected;
  } cases[] = {
      {2.5f, 0.0f, 100, 250},
      {2.5f, 0.0f, 103, 1},   // 257.5 -> 257, kept in the byte as 1
      {2.5f, 0.0f, 102, 255},
      {1.0f, -1.5f, 0, 255},  // -1.5 -> -1
      {1.0f, 2147483520.0f, 0, 0x80},  // the largest float below 2^31 still goes through the integer
      {1.0f, 2147483648.0f, 0, 0},     // beyond 32 bits: 0, not undefined behaviour
      {1.0e10f, 0.0f, 4000000000u, 0},
      {1.0f, std::numeric_limits<float>::quiet_NaN(), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    UINTSclaleTo<unsigned char> byte;
    byte.scale = c.scale;
    byte.offset = c.offset;
    byte = c.value;
    EXPECT_EQ(byte.derived, c.expected);
  }
}

TEST(ScaledParams, CopyTakesValueScaleAndOffsetButNoObservers) {
  UINTSclaleTo<float> original;
  original.scale = 0.5f;
  original.offset = 1.0f;
  original = 4;
  DerivedWatcher watcher(&original);
  UINTSclaleTo<float> copy(original);
  EXPECT_EQ(copy.value, 4u);
  EXPECT_EQ(copy.derived, 3.0f);
  EXPECT_EQ(copy.Observers().size(), 2u);
  copy.SetAndNotify(6);
  EXPECT_EQ(copy.derived, 4.0f);
  EXPECT_TRUE(watcher.seen.empty());
}

TEST(ScaledParams, SpeedClockSteps) {
  MediaSpeedParam speed;  // derived 1.0
  speed = 1;
  struct Step {
    float t, step;
  } steps[] = {{1.0f, 0.2f}, {1.1f, 0.1f}, {0.5f, 0.0f}, {0.6f, 0.1f}};
  float total = 0.0f;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.t);
    speed.Update(s.t);
    EXPECT_NEAR(speed.step, s.step, 1e-6f);
    total += speed.step;
    EXPECT_EQ(speed.accumulated, total);
  }
  speed.scale = 2.0f;
  speed.OnChange(nullptr);
  speed.Update(1.6f);
  EXPECT_NEAR(speed.step, 0.4f, 1e-6f);  // clamped to 0.2, times the speed
}

TEST(MediaDirectionTest, RotatesTheAxes) {
  MediaDirection direction(90);
  direction.GetVectors();
  EXPECT_NEAR(direction.xAxis.x, 0.0f, 1e-6f);
  EXPECT_NEAR(direction.xAxis.y, 1.0f, 1e-6f);
  EXPECT_NEAR(direction.yAxis.x, -1.0f, 1e-6f);
  EXPECT_NEAR(direction.yAxis.y, 0.0f, 1e-6f);
  EXPECT_EQ(direction.xAxis.z, 0.0f);
  EXPECT_EQ(direction.yAxis.w, 0.0f);
}

// The back buffer shows the layer picture at twice its size.
bool HalfSize(float x, float y, float* px, float* py) {
  *px = x / 2.0f;
  *py = y / 2.0f;
  return true;
}

TEST(MediaRectangleTest, HitTestInPicturePixelsEdgesIncluded) {
  MediaRectangle rectangle;
  rectangle.left = 10;
  rectangle.right = 20;
  rectangle.top = 10;
  rectangle.bottom = 20;
  EXPECT_FALSE(rectangle.HitTest(30.0f, 30.0f));  // no picture to map into yet
  SetScreenToPicture(&HalfSize);
  const struct {
    float x, y;
    bool inside;
  } points[] = {{20, 20, true}, {40, 40, true}, {41, 30, false}, {19, 30, false}, {30, 40.5f, false}};
  for (const auto& p : points) EXPECT_EQ(rectangle.HitTest(p.x, p.y), p.inside) << p.x << "," << p.y;
  SetScreenToPicture(nullptr);
}

TEST(MediaRectangleTest, ReadsSixValuesWithoutTellingAnyone) {
  docbuild::DocumentBuilder doc;
  doc.I32(1).I32(2).I32(3).I32(4).I32(-5).I32(6);
  for (int i = 0; i < 12; ++i) doc.F32(static_cast<float>(i));
  docbuild::ExactBuffer bytes(doc.Document());
  ResourceBuffer buffer(bytes.Data(), bytes.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;

  MediaRectangle rectangle;
  ReadMediaRectangle(&stream, &rectangle);
  EXPECT_EQ(rectangle.left.value, 1);
  EXPECT_EQ(rectangle.right.value, 2);
  EXPECT_EQ(rectangle.top.value, 3);
  EXPECT_EQ(rectangle.bottom.value, 4);
  EXPECT_EQ(rectangle.centreX.value, -5);
  EXPECT_EQ(rectangle.centreY.value, 6);
  EXPECT_EQ(rectangle.left.UndoControl().Saved(), 0);  // stored straight into the value

  MediaQuad quad;
  ReadMediaQuad(&stream, &quad);
  EXPECT_EQ(quad.corners[0].value, D3DXVECTOR3(0, 1, 2));
  EXPECT_EQ(quad.corners[3].value, D3DXVECTOR3(9, 10, 11));
  EXPECT_FALSE(stream->Failed());

  MediaRectangle copy;
  copy.Assign(rectangle);
  EXPECT_EQ(copy.bottom.value, 4);
  EXPECT_EQ(copy.bottom.UndoControl().Saved(), 4);
  EXPECT_EQ(copy.centreX.value, -5);
}

}  // namespace

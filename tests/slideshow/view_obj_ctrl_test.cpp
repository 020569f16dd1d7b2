// The placed-element base of the descriptions: its clock, its rectangle in pixels of the current
// layer picture, its stored record and its random points; and the render object's hold on its clone.
#include <gtest/gtest.h>

#include <memory>

#include "document/iof_reader.h"
#include "render/ab_obj.h"
#include "render/random.h"
#include "render/view_obj_ctrl.h"
#include "slideshow/view_2d.h"
#include "tests/support/document_builder.h"

namespace {

// A description of its own for the tests; its objects are made elsewhere.
class PlacedElement : public DS_ViewObjCtrl {
 public:
  PlacedElement() = default;
  PlacedElement(const PlacedElement& other) = default;
  DS_ABObj* CreateObject() override { return nullptr; }
};

void SetPicture(int width, int height) {
  g_LayerView = LayerView{};
  g_LayerView.pictureWidth = width;
  g_LayerView.pictureHeight = height;
}

class ViewObjCtrlTest : public ::testing::Test {
 protected:
  void TearDown() override { g_LayerView = LayerView{}; }
};

}  // namespace

// The clock clamps long steps (the first one measures from 0), counts a step back as forward, and
// scales the animation step by speed / 50.
TEST_F(ViewObjCtrlTest, TimeStepClampsAndScalesEachStep) {
  struct Step {
    UINT speed;
    float t, realStep, animationStep, animationTime;
  };
  const Step steps[] = {
      {50, 5.0f, 0.1f, 0.2f, 0.2f},         // first call: dt 5 from last time 0
      {50, 5.05f, 0.05f, 0.05f, 0.25f},     // an ordinary frame
      {50, 4.9f, 0.1f, 0.15f, 0.4f},        // back by 0.15: counted forward, never negative
      {100, 5.4f, 0.1f, 0.4f, 0.8f},        // dt 0.5, clamped to 0.2, twice as fast
      {0, 5.45f, 0.05f, 0.0f, 0.8f},        // speed 0 stops the animation, not the real step
      {50, 5.45f, 0.0f, 0.0f, 0.8f},        // the same time again
  };
  PlacedElement element;
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "t " << s.t << " speed " << s.speed);
    element.speed = s.speed;
    element.TimeStep(s.t);
    EXPECT_NEAR(element.realStep, s.realStep, 1e-5f);
    EXPECT_NEAR(element.animationStep, s.animationStep, 1e-5f);
    EXPECT_NEAR(element.animationTime, s.animationTime, 1e-5f);
    EXPECT_EQ(element.lastTime, s.t);
  }
}

// Binding truncates each edge to whole pixels of the current picture and the edge callbacks snap the
// fractions to them; a picture of no size leaves the fractions as they are (nothing is divided by 0).
TEST_F(ViewObjCtrlTest, BindingSnapsTheRectangleToThePictureGrid) {
  struct Case {
    int width, height;
    float left, right, top, bottom;
    INT pxLeft, pxRight, pxTop, pxBottom;
    float snappedLeft, snappedRight, snappedTop, snappedBottom;
  };
  const Case cases[] = {
      {1000, 800, 0.33341f, 0.9999f, 0.1f, 0.5f, 333, 999, 80, 400, 0.333f, 0.999f, 0.1f, 0.5f},
      {3, 7, 0.5f, 1.0f, 0.3f, 0.99f, 1, 3, 2, 6, 1.0f / 3.0f, 1.0f, 2.0f / 7.0f, 6.0f / 7.0f},
      {0, 0, 0.25f, 0.75f, 0.125f, 0.875f, 0, 0, 0, 0, 0.25f, 0.75f, 0.125f, 0.875f},
      {640, 0, 0.5f, 0.75f, 0.125f, 0.875f, 320, 480, 0, 0, 0.5f, 0.75f, 0.125f, 0.875f},
      {100, 100, -0.255f, 1.5f, 0.0f, 1.0f, -25, 150, 0, 100, -0.25f, 1.5f, 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    SetPicture(0, 0);
    PlacedElement original;
    original.left = c.left, original.right = c.right, original.top = c.top, original.bottom = c.bottom;
    SetPicture(c.width, c.height);
    PlacedElement clone(original);
    EXPECT_EQ(clone.pixelRect.left.value, c.pxLeft);
    EXPECT_EQ(clone.pixelRect.right.value, c.pxRight);
    EXPECT_EQ(clone.pixelRect.top.value, c.pxTop);
    EXPECT_EQ(clone.pixelRect.bottom.value, c.pxBottom);
    EXPECT_FLOAT_EQ(clone.left, c.snappedLeft);
    EXPECT_FLOAT_EQ(clone.right, c.snappedRight);
    EXPECT_FLOAT_EQ(clone.top, c.snappedTop);
    EXPECT_FLOAT_EQ(clone.bottom, c.snappedBottom);
    // The original keeps what it had: it was bound over no picture.
    EXPECT_EQ(original.left, c.left);
  }
}

// After binding, a changed pixel edge moves its fraction, and a new picture size moves the edges.
TEST_F(ViewObjCtrlTest, PixelEdgesAndFractionsStayInStep) {
  SetPicture(1000, 500);
  PlacedElement element;
  EXPECT_EQ(element.pixelRect.right.value, 1000);
  EXPECT_EQ(element.pixelRect.bottom.value, 500);
  element.pixelRect.left.SetAndNotify(250);
  element.pixelRect.bottom.SetAndNotify(400);
  EXPECT_FLOAT_EQ(element.left, 0.25f);
  EXPECT_FLOAT_EQ(element.bottom, 0.8f);
  EXPECT_FLOAT_EQ(element.GetLeftPx(), 250.0f);
  EXPECT_FLOAT_EQ(element.GetBottomPx(), 400.0f);

  SetPicture(333, 100);
  element.SyncPixelRect();
  EXPECT_EQ(element.pixelRect.left.value, 83);  // trunc(0.25 x 333)
  EXPECT_EQ(element.pixelRect.bottom.value, 80);
  EXPECT_FLOAT_EQ(element.left, 83.0f / 333.0f);
  EXPECT_FLOAT_EQ(element.bottom, 0.8f);
  // Measured without truncation.
  EXPECT_FLOAT_EQ(element.GetRightPx(), 333.0f);
}

// A clone takes name, placed, fractions, view flag and speed; its clock starts at 0 whatever the
// original's clock shows.
TEST_F(ViewObjCtrlTest, CloneStartsItsOwnClock) {
  SetPicture(200, 100);
  PlacedElement original;
  original.name = u"sparks";
  original.placed = 0;
  original.viewFlag = true;
  original.speed = 70;
  original.left = 0.5f;
  original.TimeStep(3.0f);
  original.TimeStep(3.1f);
  PlacedElement clone(original);
  EXPECT_EQ(clone.name, u"sparks");
  EXPECT_EQ(clone.placed, 0);
  EXPECT_TRUE(clone.viewFlag);
  EXPECT_EQ(clone.speed.value, 70u);
  EXPECT_FLOAT_EQ(clone.left, 0.5f);
  EXPECT_EQ(clone.pixelRect.left.value, 100);
  EXPECT_EQ(clone.lastTime, 0.0f);
  EXPECT_EQ(clone.animationTime, 0.0f);
  EXPECT_EQ(clone.animationStep, 0.0f);
  // The clone's edges drive its own fractions only.
  clone.pixelRect.left.SetAndNotify(50);
  EXPECT_FLOAT_EQ(clone.left, 0.25f);
  EXPECT_FLOAT_EQ(original.left, 0.5f);
}

// Version 1 stores no speed: the base record follows the view-flag byte at once and the speed stays
// 50. Stored values go in without telling anyone, so the fractions are not snapped to the stored
// pixel edges.
TEST_F(ViewObjCtrlTest, ReadsBothRecordVersions) {
  SetPicture(1000, 1000);
  struct Case {
    uint32_t version;
    UINT expectedSpeed;
  };
  for (const Case& c : {Case{1, 50}, Case{2, 80}}) {
    SCOPED_TRACE(c.version);
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_ViewObjCtrl", c.version);
    doc.I32(10).I32(900).I32(20).I32(800).I32(-7).I32(9);
    doc.F32(0.125f).F32(0.875f).F32(0.25f).F32(0.75f);
    doc.U8(1);
    if (c.version >= 2) doc.U32(80);
    doc.Header(u"DS_ABObj_Constructor", 1).String(u"rain");
    doc.U32(0xC0FFEE);
    ResourceBuffer buffer(doc.Document().data(), doc.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    PlacedElement element;
    EXPECT_TRUE(element.ReadBase(&stream));
    DWORD next = 0;
    stream->ReadULong(&next);
    EXPECT_FALSE(stream->Failed());
    EXPECT_EQ(next, 0xC0FFEEu);
    EXPECT_EQ(element.speed.value, c.expectedSpeed);
    EXPECT_EQ(element.name, u"rain");
    EXPECT_TRUE(element.viewFlag);
    EXPECT_EQ(element.pixelRect.left.value, 10);
    EXPECT_EQ(element.pixelRect.bottom.value, 800);
    EXPECT_EQ(element.pixelRect.centreX.value, -7);
    EXPECT_EQ(element.pixelRect.centreY.value, 9);
    EXPECT_FLOAT_EQ(element.left, 0.125f);
    EXPECT_FLOAT_EQ(element.bottom, 0.75f);
  }
}

TEST_F(ViewObjCtrlTest, TruncatedRecordFailsTheRead) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_ViewObjCtrl", 2).I32(1).I32(2).I32(3).I32(4).I32(0).I32(0).F32(0.5f);
  ResourceBuffer buffer(doc.Document().data(), doc.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  PlacedElement element;
  EXPECT_FALSE(element.ReadBase(&stream));
  EXPECT_EQ(element.speed.value, 50u);
}

// x is drawn first; each coordinate spans the rectangle shrunk by the half sizes, its ends included.
TEST_F(ViewObjCtrlTest, RandomPointInsetStaysInsideTheShrunkRectangle) {
  SetPicture(800, 600);
  PlacedElement element;
  SRand(12345);
  const float r1 = static_cast<float>(Rand()), r2 = static_cast<float>(Rand());
  SRand(12345);
  const D3DXVECTOR3 first = element.RandomPointInset(50.0f, 20.0f);
  EXPECT_FLOAT_EQ(first.x, 50.0f + r1 / 32767.0f * 700.0f);
  EXPECT_FLOAT_EQ(first.y, 20.0f + r2 / 32767.0f * 560.0f);
  EXPECT_EQ(first.z, 0.0f);

  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  for (int i = 0; i < 20000; ++i) {
    const D3DXVECTOR3 p = element.RandomPointInset(50.0f, 20.0f);
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  EXPECT_GE(minX, 50.0f);
  EXPECT_LE(maxX, 750.0f);
  EXPECT_GE(minY, 20.0f);
  EXPECT_LE(maxY, 580.0f);
  // The draws reach near both ends.
  EXPECT_LT(minX, 52.0f);
  EXPECT_GT(maxX, 748.0f);

  const D3DXVECTOR3 plain = element.RandomPoint();
  EXPECT_GE(plain.x, 0.0f);
  EXPECT_LE(plain.x, 800.0f);
}

// The standard corner order in picture pixels: (l, b), (l, t), (r, b), (r, t).
TEST_F(ViewObjCtrlTest, ScreenQuadCoversTheRectangle) {
  SetPicture(800, 600);
  PlacedElement element;
  element.left = 0.25f, element.right = 0.75f, element.top = 0.1f, element.bottom = 0.9f;
  QuadCorners quad;
  element.GetScreenQuad(&quad);
  const float expected[4][2] = {{200, 540}, {200, 60}, {600, 540}, {600, 60}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(quad.corners[i].x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(quad.corners[i].y, expected[i][1]) << i;
  }
  EXPECT_FALSE(element.HitTest(400.0f, 300.0f));
}

namespace {

int g_LiveElements = 0;

class CountedElement : public PlacedElement {
 public:
  CountedElement() { ++g_LiveElements; }
  ~CountedElement() override { --g_LiveElements; }
};

class PlainObject : public DS_ABObj {
 public:
  PlainObject() = default;
  explicit PlainObject(DS_ABObj_Constructor* clone) { controller.reset(clone); }
  void Render(DS_ABRender&) override {}
  void DrawSelection(DS_ABRender&, int) override {}
  void Update(float) override {}
  void SyncLayout() override {}
};

}  // namespace

// The object's controller is null until its subclass sets it; the object deletes its clone.
TEST_F(ViewObjCtrlTest, RenderObjectOwnsItsClone) {
  PlainObject bare;
  EXPECT_EQ(bare.Controller(), nullptr);
  EXPECT_EQ(bare.QueryController(), nullptr);
  EXPECT_FALSE(bare.NeedsBackground());
  {
    auto object = std::make_unique<PlainObject>(new CountedElement);
    EXPECT_EQ(g_LiveElements, 1);
    EXPECT_NE(object->Controller(), nullptr);
    EXPECT_EQ(object->QueryController(), nullptr);
  }
  EXPECT_EQ(g_LiveElements, 0);
}

// The clock: its square around the centre, its instance layout over the two parts, its selection,
// the face-image reload and its stored record.
#include "objects/clock_constructor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/iof_reader.h"
#include "objects/clock_animators.h"
#include "objects/obj_3d_array.h"
#include "document/device.h"
#include "render/ab_render.h"
#include "slideshow/view_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

class ClockOnPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 1024;
    g_LayerView.pictureHeight = 768;
  }
  void TearDown() override { g_LayerView = saved_; }

  static std::unique_ptr<DS_3DObjArray> Make(DS_ClockConstructor& d) {
    return std::unique_ptr<DS_3DObjArray>(static_cast<DS_3DObjArray*>(d.CreateObject()));
  }
  static DS_ClockConstructor& Clock(DS_3DObjArray& object) {
    return *static_cast<DS_ClockConstructor*>(object.ctrl);
  }

  LayerView saved_;
};

TEST_F(ClockOnPicture, DefaultsAreACentredFourHundredPixelClock) {
  DS_ClockConstructor d;
  EXPECT_EQ(d.rectangle.centreX.value, 512);
  EXPECT_EQ(d.rectangle.centreY.value, 384);
  EXPECT_EQ(d.rectangle.left.value, 0);  // the square is made by the instance, not the description
  EXPECT_EQ(d.size.value, 400u);
  EXPECT_EQ(d.instanceCount.value, 1u);
  EXPECT_EQ(d.meshLink.path, u"vaultkit.dll");
  EXPECT_EQ(d.meshLink.stamp, 70);
  EXPECT_EQ(d.imageLink.stamp, 71);
  EXPECT_EQ(d.handsImageLink.path, u"vaultkit.dll");
  EXPECT_EQ(d.handsImageLink.stamp, 72);
  EXPECT_EQ(d.SelectionMode(), 1);
}

TEST_F(ClockOnPicture, TheInstanceMakesTheRectangleTheSquareAroundTheCentre) {
  struct Case {
    UINT size;
    INT left, right, top, bottom;
  };
  // An odd size loses its last pixel in the integer halves; the face still scales by the full size.
  for (const Case& c : {Case{400, 312, 712, 184, 584}, Case{401, 312, 712, 184, 584}, Case{0, 512, 512, 384, 384}}) {
    SCOPED_TRACE(c.size);
    DS_ClockConstructor d;
    d.size = c.size;
    auto object = Make(d);
    const MediaRectangle& r = Clock(*object).rectangle;
    EXPECT_EQ(r.left.value, c.left);
    EXPECT_EQ(r.right.value, c.right);
    EXPECT_EQ(r.top.value, c.top);
    EXPECT_EQ(r.bottom.value, c.bottom);

    QuadCorners quad;
    Clock(*object).GetScreenQuad(&quad);
    const float expected[4][2] = {{float(c.left), float(c.bottom)},
                                  {float(c.left), float(c.top)},
                                  {float(c.right), float(c.bottom)},
                                  {float(c.right), float(c.top)}};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(quad.corners[i].x, expected[i][0]) << i;
      EXPECT_EQ(quad.corners[i].y, expected[i][1]) << i;
    }

    // face world = size scale x (0.01 scale, quarter turn about x) x centre translation.
    object->Update(0.1f);
    const D3DXMATRIX& face = object->instances.front()->world;
    const float s = float(c.size) * 0.01f;
    EXPECT_NEAR(face._11, s, 1e-4);
    EXPECT_NEAR(face._23, s, 1e-4);   // y turns into z
    EXPECT_NEAR(face._32, -s, 1e-4);  // z turns into -y
    EXPECT_NEAR(face._22, 0.0f, 1e-4);
    EXPECT_FLOAT_EQ(face._41, 512.0f);
    EXPECT_FLOAT_EQ(face._42, 384.0f);
  }
}

TEST_F(ClockOnPicture, MovingTheCentreOrResizingMovesTheSquare) {
  DS_ClockConstructor d;
  auto object = Make(d);
  DS_ClockConstructor& clock = Clock(*object);
  clock.size.SetAndNotify(100);
  EXPECT_EQ(clock.rectangle.left.value, 462);
  EXPECT_EQ(clock.rectangle.bottom.value, 434);
  clock.rectangle.centreX = 50;
  clock.rectangle.NotifyAll(nullptr);
  EXPECT_EQ(clock.rectangle.left.value, 0);
  EXPECT_EQ(clock.rectangle.right.value, 100);
  object->Update(0.1f);
  EXPECT_FLOAT_EQ(object->instances.front()->world._41, 50.0f);
}

// Every clock shows the same time in the same square: whatever count a document stores, the layer
// is given a few faces with their hands to draw over one another, not millions.
TEST_F(ClockOnPicture, AHostileCountDrawsAFewClocksOverOneAnother) {
  for (UINT count : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(count);
    DS_ClockConstructor d;
    d.instanceCount = count;
    auto object = Make(d);
    const size_t faces = object->parts[0].frames.size();
    EXPECT_GE(faces, 2u);
    EXPECT_LE(faces, 10u);
    EXPECT_EQ(object->parts[1].frames.size(), 2 * faces);
  }
}

TEST_F(ClockOnPicture, EveryInstanceIsAFaceWithTwoHandsLaidOutOverTheParts) {
  DS_ClockConstructor d;
  d.instanceCount = 2u;
  auto object = Make(d);
  ASSERT_EQ(object->parts.size(), 2u);
  EXPECT_EQ(object->parts[0].twoPass, 1);
  EXPECT_EQ(object->parts[1].twoPass, 1);
  ASSERT_EQ(object->instances.size(), 2u);
  std::vector<DS_Frame*> faces, hands;
  for (const InstanceRoot& root : object->instances) {
    EXPECT_NE(dynamic_cast<AC_Static*>(root->animator), nullptr);
    ASSERT_EQ(root->children.size(), 2u);
    const auto* hour = dynamic_cast<AC_ClockArrow*>(root->children[0]->animator);
    const auto* minute = dynamic_cast<AC_ClockArrow*>(root->children[1]->animator);
    ASSERT_TRUE(hour && minute);
    EXPECT_EQ(hour->hour, 1);
    EXPECT_EQ(minute->hour, 0);
    faces.push_back(root.get());
    hands.insert(hands.end(), root->children.begin(), root->children.end());
  }
  EXPECT_EQ(object->parts[0].frames, faces);
  EXPECT_EQ(object->parts[1].frames, hands);

  // Hands: thin, their length along z, pushed out along z by 10 (hour) and 13 (minute).
  const D3DXMATRIX& hour = hands[0]->local;
  const D3DXMATRIX& minute = hands[1]->local;
  EXPECT_FLOAT_EQ(hour._11, 0.01f);
  EXPECT_FLOAT_EQ(hour._22, 1.0f);
  EXPECT_FLOAT_EQ(hour._33, 0.3f);
  EXPECT_FLOAT_EQ(hour._43, 10.0f);
  EXPECT_FLOAT_EQ(minute._33, 0.38f);
  EXPECT_FLOAT_EQ(minute._43, 13.0f);
}

TEST_F(ClockOnPicture, ANewFaceImageReloadsOnlyOnceARenderObjectHasItsParts) {
  DS_ClockConstructor d;
  d.imageLink.path = u"other.png";
  d.imageLink.NotifyAll(nullptr);  // nothing remembered: nothing to reload
  EXPECT_EQ(d.parts, nullptr);

  auto object = Make(d);
  DS_ClockConstructor& clock = Clock(*object);
  EXPECT_EQ(clock.parts, &object->parts);
  EXPECT_EQ(d.parts, nullptr);  // the description itself never holds the render object's parts
  const std::vector<DS_Frame*> faces = object->parts[0].frames;
  clock.imageLink.path = u"face.png";
  clock.imageLink.NotifyAll(nullptr);
  EXPECT_EQ(object->parts[0].frames, faces);  // a reload keeps the frames to draw

  std::unique_ptr<DS_3D_Obj_Ctrl> copy(clock.Clone());
  EXPECT_EQ(static_cast<DS_ClockConstructor*>(copy.get())->parts, nullptr);
  copy->imageLink.NotifyAll(nullptr);
}

// Records the selection the object hands to the layer.
class SelectionLayer : public DS_ABRender {
 public:
  bool Save(DS_IOF_Virtual**) override { return true; }
  void BeginTarget(RenderTargetPair&, int) override {}
  void EndTarget() override {}
  void DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selectedArg, bool steadyArg) override {
    selected.push_back(selectedArg);
    steady.push_back(steadyArg);
    if (DX_V::PC* v = quad.LockVertices()) {
      vertices.assign(v, v + quad.vertexCount);
      quad.UnlockVertices();
    }
  }
  void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>&, ID3DXEffect*) override {}
  void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>&, ID3DXEffect*) override {}
  void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>&, ID3DXEffect*) override {}
  void DrawMeshFrame(MeshPart&) override {}
  void DrawSpriteArray(const SpriteArrayDraw&) override {}
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>&) override {}
  void DrawPulsingQuad(TexturedQuad<DX_V::PT>&, const D3DXMATRIX*, bool) override {}
  ComHolder<IDirect3DTexture9>& GetBackground() override { return background; }
  TexturedQuad<DX_V::PT>& GetScreenQuad() override { return screenQuad; }
  UINT GetWidth() const override { return 0; }
  UINT GetHeight() const override { return 0; }

  std::vector<int> selected;
  std::vector<bool> steady;
  std::vector<DX_V::PC> vertices;
  ComHolder<IDirect3DTexture9> background;
  TexturedQuad<DX_V::PT> screenQuad;
};

class ClockSelection : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 1024;
    g_LayerView.pictureHeight = 768;
  }
  void TearDown() override {
    g_LayerView = saved_;
    g_Device = nullptr;
    DeviceTest::TearDown();
  }
  LayerView saved_;
};

TEST_F(ClockSelection, IsDrawnSelectedOverTheClocksOwnSquare) {
  DS_ClockConstructor d;
  std::unique_ptr<DS_ABObj> object(d.CreateObject());
  SelectionLayer layer;
  object->DrawSelection(layer, 0);
  ASSERT_EQ(layer.selected, std::vector<int>{1});
  EXPECT_EQ(layer.steady, std::vector<bool>{false});
  ASSERT_EQ(layer.vertices.size(), 4u);
  const float expected[4][2] = {{312, 584}, {312, 184}, {712, 584}, {712, 184}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(layer.vertices[i].x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(layer.vertices[i].y, expected[i][1]) << i;
  }
}

docbuild::Bytes ClockRecord() {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_ClockConstructor", 1);
  for (int32_t v : {10, 110, 20, 120, 60, 70}) doc.I32(v);
  doc.Link(u"hands.png", 5);
  doc.Header(u"DS_3D_Obj_Ctrl", 1).U32(2).U32(100).Link(u"face.png", 6).Link(u"vaultkit.dll", 70);
  doc.Header(u"DS_ViewObjCtrl", 2);
  for (int32_t edge : {0, 0, 0, 0, 0, 0}) doc.I32(edge);
  for (float fraction : {0.0f, 1.0f, 0.0f, 1.0f}) doc.F32(fraction);
  doc.U8(0).U32(50);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"tick");
  return doc.Document();
}

std::unique_ptr<DS_ClockConstructor> Read(const docbuild::Bytes& bytes, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
  *failed = stream->Failed();
  if (!dynamic_cast<DS_ClockConstructor*>(object.get())) return nullptr;
  return std::unique_ptr<DS_ClockConstructor>(static_cast<DS_ClockConstructor*>(object.release()));
}

// Without a picture the clone's pixel rectangle stays as stored.
class ClockStored : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 0;
    g_LayerView.pictureHeight = 0;
  }
  void TearDown() override { g_LayerView = saved_; }
  LayerView saved_;
};

TEST_F(ClockStored, ReadsAndSavesTheSameBytes) {
  bool failed = true;
  auto d = Read(ClockRecord(), &failed);
  ASSERT_TRUE(d);
  EXPECT_FALSE(failed);
  EXPECT_EQ(d->rectangle.left.value, 10);
  EXPECT_EQ(d->rectangle.bottom.value, 120);
  EXPECT_EQ(d->rectangle.centreX.value, 60);
  EXPECT_EQ(d->rectangle.centreY.value, 70);
  EXPECT_EQ(d->handsImageLink.path, u"hands.png");
  EXPECT_EQ(d->handsImageLink.stamp, 5);
  EXPECT_EQ(d->instanceCount.value, 2u);
  EXPECT_EQ(d->size.value, 100u);
  EXPECT_EQ(d->imageLink.path, u"face.png");
  EXPECT_EQ(d->name, u"tick");

  std::unique_ptr<DS_3D_Obj_Ctrl> copy(d->Clone());
  docbuild::BuilderStream writer;
  DS_IOF_Virtual* out = &writer;
  EXPECT_TRUE(copy->Save(&out));
  EXPECT_EQ(writer.Written(), ClockRecord());
}

TEST_F(ClockStored, ATruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = ClockRecord();
  for (size_t length : {size_t(30), whole.size() / 2, whole.size() - 1}) {
    bool failed = false;
    auto d = Read(docbuild::Truncated(whole, length), &failed);
    EXPECT_TRUE(failed) << length;
  }
}

}  // namespace

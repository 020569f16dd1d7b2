// The 3D-in-2D array: its stored record, its item frames, their drift over the picture, and items
// drawn through the software device.
#include "objects/array_3d_in_2d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "document/device.h"
#include "render/random.h"
#include "render/ab_render.h"
#include "slideshow/light_2d.h"
#include "slideshow/view_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

docbuild::Bytes ArrayRecord(uint32_t count) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_3D_in_2D_array_Constructor", 1).String(u"leaves").U32(count);
  doc.Resource(docbuild::Embedded(u"leaf.x", doc_res_test::TextBytes(doc_res_test::kTriangleX)));
  doc.Resource(docbuild::LibraryCopy(71, u"vaultkit.dll", doc_res_test::Png(2, 2, 0x00FF00)));
  for (uint32_t v : {30u, 80u, 20u, 5u, 150u, 90u}) doc.U32(v);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"leaves");
  return doc.Document();
}

std::unique_ptr<DS_3D_in_2D_array_Constructor> Read(const docbuild::Bytes& bytes, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
  *failed = stream->Failed();
  if (!dynamic_cast<DS_3D_in_2D_array_Constructor*>(object.get())) return nullptr;
  return std::unique_ptr<DS_3D_in_2D_array_Constructor>(static_cast<DS_3D_in_2D_array_Constructor*>(object.release()));
}

TEST(Array3DIn2DRecord, ReadsEveryFieldAndSavesTheSameBytes) {
  bool failed = true;
  auto d = Read(ArrayRecord(4), &failed);
  ASSERT_TRUE(d);
  EXPECT_FALSE(failed);
  EXPECT_EQ(d->name, u"leaves");
  EXPECT_EQ(d->itemCount.value, 4u);
  EXPECT_EQ(d->meshRecord.name, u"leaf.x");
  EXPECT_GT(d->meshRecord.Size(), 0u);
  EXPECT_EQ(d->imageRecord.id, 71);
  EXPECT_EQ(d->imageRecord.library, u"vaultkit.dll");
  EXPECT_EQ(d->drift.itemSize.value, 30u);
  EXPECT_EQ(d->drift.speed.value, 80u);
  EXPECT_EQ(d->drift.sway.value, 20u);
  EXPECT_EQ(d->drift.swayRenewal.value, 5u);
  EXPECT_EQ(d->drift.tumbleSpeed.value, 150u);
  EXPECT_EQ(d->drift.direction.angle, 90u);
  EXPECT_NEAR(d->drift.direction.direction.x, 0.0f, 1e-6);  // the vectors followed the angle
  EXPECT_NEAR(d->drift.direction.direction.y, -1.0f, 1e-6);

  docbuild::BuilderStream writer;
  DS_IOF_Virtual* out = &writer;
  EXPECT_TRUE(d->Save(&out));
  EXPECT_EQ(writer.Written(), ArrayRecord(4));
}

TEST(Array3DIn2DRecord, ATruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = ArrayRecord(2);
  for (size_t length : {size_t(70), whole.size() / 2, whole.size() - 1}) {
    bool failed = false;
    auto d = Read(docbuild::Truncated(whole, length), &failed);
    EXPECT_TRUE(failed) << length;
  }
}

TEST(Array3DIn2DConstructor, Defaults) {
  DS_3D_in_2D_array_Constructor d;
  EXPECT_EQ(d.itemCount.value, 0u);
  EXPECT_EQ(d.drift.itemSize.value, 0u);
  EXPECT_EQ(d.drift.direction.angle, 0u);
  EXPECT_EQ(d.drift.speed.value, 50u);
  EXPECT_EQ(d.drift.sway.value, 0u);
  EXPECT_EQ(d.drift.swayRenewal.value, 0u);
  EXPECT_EQ(d.drift.tumbleSpeed.value, 100u);
  EXPECT_EQ(d.meshRecord.Size(), 0u);
  EXPECT_EQ(d.renderObject, nullptr);
}

// Counts what the object hands to the layer.
class CountingLayer : public DS_ABRender {
 public:
  bool Save(DS_IOF_Virtual**) override { return true; }
  void BeginTarget(RenderTargetPair&, int) override {}
  void EndTarget() override {}
  void DrawSelection(DS_SimpleMesh<DX_V::PC>&, int, bool) override { ++selections; }
  void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>&, ID3DXEffect*) override {}
  void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>&, ID3DXEffect*) override {}
  void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>&, ID3DXEffect*) override {}
  void DrawMeshFrame(MeshPart&) override {}
  void DrawSpriteArray(const SpriteArrayDraw&) override {}
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>& mesh) override { drawn.push_back(mesh.children.size()); }
  void DrawPulsingQuad(TexturedQuad<DX_V::PT>&, const D3DXMATRIX*, bool) override {}
  ComHolder<IDirect3DTexture9>& GetBackground() override { return background; }
  TexturedQuad<DX_V::PT>& GetScreenQuad() override { return screenQuad; }
  UINT GetWidth() const override { return 0; }
  UINT GetHeight() const override { return 0; }

  std::vector<size_t> drawn;
  int selections = 0;
  ComHolder<IDirect3DTexture9> background;
  TexturedQuad<DX_V::PT> screenQuad;
};

// A 400 x 300 picture and no resource store: the items have no mesh, so each test gives them the
// bounding sphere it needs.
class Array3DIn2D : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 400;
    g_LayerView.pictureHeight = 300;
    SRand(3);
  }
  void TearDown() override { g_LayerView = saved_; }

  std::unique_ptr<DS_3D_in_2D_array> Make() {
    return std::unique_ptr<DS_3D_in_2D_array>(static_cast<DS_3D_in_2D_array*>(d.CreateObject()));
  }
  static DS_LeafFallAnim& Anim(DS_Frame* item) { return *static_cast<DS_LeafFallAnim*>(item->animator); }
  static void GiveRadius(DS_3D_in_2D_array& object, float radius) {
    for (DS_Frame* item : object.geometry.children) item->boundingRadius = radius;
  }

  DS_3D_in_2D_array_Constructor d;
  LayerView saved_;
};

TEST_F(Array3DIn2D, EveryItemIsAFrameDriftingByTheCopysParameters) {
  d.itemCount = 3u;
  auto object = Make();
  ASSERT_EQ(object->geometry.children.size(), 3u);
  EXPECT_EQ(object->ctrl->renderObject, object.get());
  EXPECT_EQ(d.renderObject, nullptr);  // the description read from the document keeps no object
  for (DS_Frame* item : object->geometry.children) {
    auto* anim = dynamic_cast<DS_LeafFallAnim*>(item->animator);
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->params, &object->ctrl->drift);
  }
  CountingLayer layer;
  object->Render(layer);
  object->DrawSelection(layer, 1);
  EXPECT_EQ(layer.drawn, std::vector<size_t>{3});
  EXPECT_EQ(layer.selections, 0);
  POINT p{10, 10};
  EXPECT_FALSE(object->HitTest(p, 0));
}

TEST_F(Array3DIn2D, ItemCountsFromNoneToMoreThanIsSensible) {
  for (UINT count : {0u, 1u}) {
    SCOPED_TRACE(count);
    d.itemCount = count;
    auto object = Make();
    EXPECT_EQ(object->geometry.children.size(), size_t{count});
    object->Update(0.1f);
    CountingLayer layer;
    object->Render(layer);
    EXPECT_EQ(layer.drawn.size(), size_t{count});
  }
}

// Items of 50 pixels tile the 400 x 300 picture 48 times side by side. A document may ask for any
// count: whatever it stores, the picture gets at least that many and no more than a few layers of
// them, each layer as dense as the first; a twice-covered picture is still drawn as stored.
TEST_F(Array3DIn2D, HostileItemCountsAreHeldToWhatThePictureShows) {
  struct Case {
    int pictureWidth, pictureHeight;
    UINT itemSize;
    size_t tiles;  // items of that size side by side over the picture
  };
  for (const Case& c : {Case{400, 300, 50, 48}, Case{800, 600, 50, 192}, Case{400, 300, 100, 12}}) {
    SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " items of " << c.itemSize);
    g_LayerView.pictureWidth = c.pictureWidth;
    g_LayerView.pictureHeight = c.pictureHeight;
    d.drift.itemSize = c.itemSize;
    d.itemCount = UINT(2 * c.tiles);
    EXPECT_EQ(Make()->geometry.children.size(), 2 * c.tiles);
    size_t held = 0;
    for (UINT count : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
      SCOPED_TRACE(count);
      d.itemCount = count;
      auto object = Make();
      if (held == 0) held = object->geometry.children.size();
      EXPECT_EQ(object->geometry.children.size(), held);
      EXPECT_EQ(object->ctrl->itemCount.value, count);  // the stored value is kept
      object->Update(0.1f);
      CountingLayer layer;
      object->Render(layer);
      EXPECT_EQ(layer.drawn, std::vector<size_t>{held});
    }
    EXPECT_GE(held, 2 * c.tiles);
    EXPECT_LE(held, 10 * c.tiles);
  }
}

TEST_F(Array3DIn2D, AtSpeedZeroTheItemsOnlyTumble) {
  d.itemCount = 2u;
  d.drift.speed = 0u;
  d.drift.itemSize = 20u;
  auto object = Make();
  GiveRadius(*object, 1.0f);
  object->Update(0.1f);
  std::vector<D3DXMATRIX> before;
  for (DS_Frame* item : object->geometry.children) before.push_back(item->world);
  std::vector<D3DXMATRIX> places;
  for (DS_Frame* item : object->geometry.children) places.push_back(Anim(item).position);
  for (int i = 2; i <= 10; ++i) object->Update(0.1f * float(i));
  for (size_t i = 0; i < 2; ++i) {
    DS_Frame* item = object->geometry.children[i];
    EXPECT_EQ(Anim(item).position, places[i]);
    EXPECT_NE(item->world, before[i]);  // the tumble went on
    EXPECT_NE(item->world._11, 0.0f);
  }
}

TEST_F(Array3DIn2D, ItemSizeZeroScalesEveryItemToNothing) {
  d.itemCount = 2u;
  d.drift.itemSize = 0u;
  auto object = Make();
  GiveRadius(*object, 1.0f);
  object->Update(0.1f);
  for (DS_Frame* item : object->geometry.children) {
    const D3DXMATRIX& w = item->world;
    for (float v : {w._11, w._12, w._13, w._21, w._22, w._23, w._31, w._32, w._33}) EXPECT_EQ(v, 0.0f);
  }
}

TEST_F(Array3DIn2D, DirectionNinetyRisesAndReappearsBelowTheBottom) {
  d.itemCount = 1u;
  d.drift.itemSize = 20u;
  d.drift.direction.SetAngle(90);
  auto object = Make();
  DS_LeafFallAnim& anim = Anim(object->geometry.children[0]);
  object->Update(0.1f);
  anim.position._42 = 150.0f;
  const float x = anim.position._41;
  object->Update(0.2f);
  EXPECT_LT(anim.position._42, 150.0f);
  EXPECT_NEAR(anim.position._41, x, 1e-3);

  anim.position._42 = -11.0f;  // past the top edge by more than half an item
  object->Update(0.3f);
  EXPECT_FLOAT_EQ(anim.position._42, 310.0f);
  EXPECT_GE(anim.position._41, 0.0f);
  EXPECT_LE(anim.position._41, 400.0f);
}

TEST_F(Array3DIn2D, EveryArraySetsTheDriftTimeBeforeItsOwnItemsMove) {
  d.itemCount = 1u;
  auto first = Make();
  auto second = Make();
  first->Update(2.0f);
  EXPECT_EQ(g_DriftTime, 2.0f);
  g_DriftTime = 7.0f;  // whatever another array left there
  second->Update(2.0f);
  EXPECT_EQ(Anim(first->geometry.children[0]).lastTime, 2.0f);
  EXPECT_EQ(Anim(second->geometry.children[0]).lastTime, 2.0f);
  EXPECT_FLOAT_EQ(Anim(second->geometry.children[0]).step, 0.2f);
}

// Items of a green cube record drawn on a black 256 x 256 picture at the back buffer's size.
class Array3DIn2DPixels : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    saved_ = g_LayerView;
    manager_ = std::make_unique<DS_DocResManager>();
    SetCurrentDocResManager(manager_.get());
  }
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    black_.Release();
    g_Device = nullptr;
    g_LayerView = saved_;
    DeviceTest::TearDown();
  }

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

  std::unique_ptr<DS_DocResManager> manager_;
  ComHolder<IDirect3DTexture9> black_;
  LayerView saved_;
};

ResourceRecord RecordOf(const ds_string& name, const docbuild::Bytes& bytes) {
  ResourceRecord record;
  record.name = name;
  record.SetBytes(static_cast<DWORD>(bytes.size()), bytes.data());
  return record;
}

// The cube (side 2, centred at x 10) turns about its own centre: an item 40 pixels across, held
// at (128, 128), shows green there and nowhere else.
TEST_F(Array3DIn2DPixels, AnItemShowsInItsTextureAtItsPlace) {
  DS_2D_Light light;
  ShowBlackPicture(light);
  DS_3D_in_2D_array_Constructor d;
  d.meshRecord = RecordOf(u"cube.x", doc_res_test::TextBytes(doc_res_test::kCubeX));
  d.imageRecord = RecordOf(u"green.png", doc_res_test::Png(4, 4, 0x00FF00));
  d.itemCount = 1u;
  d.drift.itemSize = 40u;
  d.drift.speed = 0u;
  d.drift.tumbleSpeed = 0u;
  std::unique_ptr<DS_3D_in_2D_array> object(static_cast<DS_3D_in_2D_array*>(d.CreateObject()));
  ASSERT_TRUE(object->geometry.vertexBuffer);
  ASSERT_TRUE(object->geometry.texture);
  DS_Frame* item = object->geometry.children.at(0);
  EXPECT_NEAR(item->local._41, -10.0f, 1e-4);
  static_cast<DS_LeafFallAnim*>(item->animator)->position._41 = 128.0f;
  static_cast<DS_LeafFallAnim*>(item->animator)->position._42 = 128.0f;
  ASSERT_EQ(device_->BeginScene(), S_OK);
  light.Render(false);
  object->Update(0.05f);
  object->Render(light);
  device_->EndScene();
  const std::vector<uint32_t> pixels = BackBuffer();
  ASSERT_EQ(pixels.size(), 256u * 256u);
  int green = 0, elsewhere = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const uint32_t p = pixels[size_t(y) * 256 + x];
      const bool near = std::abs(x - 128) <= 32 && std::abs(y - 128) <= 32;
      if (p == 0x00FF00u && near) ++green;
      if (p != 0 && !near) ++elsewhere;
    }
  }
  EXPECT_GE(green, 100);
  EXPECT_EQ(elsewhere, 0);
}

}  // namespace

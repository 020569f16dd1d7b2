// Particle classes drawn by the layer on the software device: flow sprites as tinted squares that
// the next frame moves along the flow; fish that face the way they swim.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "objects/fish_constructor.h"
#include "objects/flow_constructor.h"
#include "document/device.h"
#include "render/sprite_array_obj.h"
#include "slideshow/light_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace {

// A 16 x 16 bottom-up 24-bit picture, red on its left half and blue on its right half.
doc_res_test::Bytes SplitBmp() {
  doc_res_test::Bytes b{'B', 'M'};
  doc_res_test::Put32(b, 54 + 16 * 16 * 3);
  doc_res_test::Put32(b, 0);
  doc_res_test::Put32(b, 54);
  doc_res_test::Put32(b, 40);
  doc_res_test::Put32(b, 16);
  doc_res_test::Put32(b, 16);
  doc_res_test::Put16(b, 1);
  doc_res_test::Put16(b, 24);
  for (int i = 0; i < 6; ++i) doc_res_test::Put32(b, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) b.insert(b.end(), {uint8_t(x < 8 ? 0 : 255), 0, uint8_t(x < 8 ? 255 : 0)});
  return b;
}

// A 256 x 256 device and a current resource manager whose document holds "white.png" (4 x 4) and
// "split.bmp" (16 x 16, red left, blue right).
class ParticleClassPixelsTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    docbuild::DocumentBuilder doc;
    doc.DocResManager(3,
                      {{u"white.png", 1, {docbuild::Embedded(u"white.png", doc_res_test::Png(4, 4, 0xFFFFFF))}},
                       {u"split.bmp", 1, {docbuild::Embedded(u"split.bmp", SplitBmp())}}},
                      {}, {}, {});
    bytes_ = doc.Document();
    ResourceBuffer buffer(bytes_.data(), bytes_.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ds_string name;
    DWORD version = 0;
    stream->ReadString(&name);
    stream->ReadULong(&version);
    manager_ = std::make_unique<DS_DocResManager>();
    SetCurrentDocResManager(manager_.get());
    ASSERT_TRUE(manager_->ReadTables(&stream, version));
  }
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    g_Device = nullptr;
    DeviceTest::TearDown();
  }

  // An untextured 256 x 256 picture fitted to the back buffer: picture pixels are screen pixels.
  static void ShowPicture(DS_2D_Light& light) {
    light.CreateScreenQuad();
    light.picture.SetFromInfo(256, 256, nullptr);
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(256, 256);
    light.SetPicturePosition(kFit);
    light.RestoreDeviceResources();
  }

  std::vector<uint32_t> Draw(DS_SpriteArrayObj& sprites, DS_2D_Light& light) {
    EXPECT_EQ(device_->BeginScene(), S_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    sprites.Render(light);
    device_->EndScene();
    return screen_.BackBuffer();
  }

  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

TEST_F(ParticleClassPixelsTest, TintedSpritesMoveAlongTheFlow) {
  DS_2D_Light light;
  ShowPicture(light);
  DS_FlowConstructor d;
  d.imageLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"white.png", 1));
  d.count = 2;
  d.size = 16;
  d.color = 0x000000FFu;  // stored blue-green-red: red
  d.angle.value = 0;      // rightward
  d.speed = 100.0f;
  std::unique_ptr<DS_SpriteArrayObj> sprites(static_cast<DS_SpriteArrayObj*>(d.CreateObject()));
  ASSERT_EQ(sprites->particles.size(), 2u);
  const D3DXVECTOR3 places[] = {{64.0f, 64.0f, 0.0f}, {128.0f, 192.0f, 0.0f}};
  int i = 0;
  for (Particle& p : sprites->particles) p.position = places[i++];
  sprites->Update(0.0f);

  const std::vector<uint32_t> before = Draw(*sprites, light);
  ASSERT_EQ(before.size(), 256u * 256u);
  auto at = [](const std::vector<uint32_t>& pixels, int x, int y) { return pixels[size_t(y) * 256 + x]; };
  for (const D3DXVECTOR3& c : places) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    EXPECT_EQ(at(before, int(c.x), int(c.y)), 0xFF0000u);
    EXPECT_EQ(at(before, int(c.x) - 6, int(c.y) + 6), 0xFF0000u);
    EXPECT_EQ(at(before, int(c.x) + 12, int(c.y)), 0u);
    EXPECT_EQ(at(before, int(c.x), int(c.y) - 12), 0u);
  }

  sprites->Update(0.2f);  // 20 px to the right
  const std::vector<uint32_t> after = Draw(*sprites, light);
  ASSERT_EQ(after.size(), 256u * 256u);
  for (const D3DXVECTOR3& c : places) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    EXPECT_EQ(at(after, int(c.x) + 20, int(c.y)), 0xFF0000u);
    EXPECT_EQ(at(after, int(c.x) + 26, int(c.y) - 6), 0xFF0000u);
    EXPECT_EQ(at(after, int(c.x) - 4, int(c.y)), 0u);  // where its left side was
  }
}

// Bounds 64 to 192 across. A fish entirely left of them turns to swim right and shows the picture
// as it is; one entirely right of them turns left and shows it mirrored.
TEST_F(ParticleClassPixelsTest, FishFaceTheWayTheySwim) {
  DS_2D_Light light;
  ShowPicture(light);
  DS_FishConstructor d;
  d.imageLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"split.bmp", 1));
  d.count = 2;
  d.size = 32;
  d.speed = 0;  // they turn but stay where they are
  d.left = 0.25f;
  d.right = 0.75f;
  std::unique_ptr<DS_SpriteArrayObj> sprites(static_cast<DS_SpriteArrayObj*>(d.CreateObject()));
  ASSERT_EQ(sprites->particles.size(), 2u);
  Particle& left = sprites->particles.front();
  Particle& right = sprites->particles.back();
  left.position = D3DXVECTOR3(40.0f, 64.0f, 0.0f);
  left.velocity.x = -20.0f;
  right.position = D3DXVECTOR3(216.0f, 192.0f, 0.0f);
  right.velocity.x = 20.0f;
  sprites->Update(0.05f);
  EXPECT_GT(left.velocity.x, 0.0f);
  EXPECT_LT(right.velocity.x, 0.0f);

  const std::vector<uint32_t> pixels = Draw(*sprites, light);
  ASSERT_EQ(pixels.size(), 256u * 256u);
  auto at = [&](int x, int y) { return pixels[size_t(y) * 256 + x]; };
  EXPECT_EQ(at(32, 64), 0xFF0000u);
  EXPECT_EQ(at(48, 64), 0x0000FFu);
  EXPECT_EQ(at(208, 192), 0x0000FFu);
  EXPECT_EQ(at(224, 192), 0xFF0000u);
  EXPECT_EQ(at(40, 40), 0u);
}

}  // namespace

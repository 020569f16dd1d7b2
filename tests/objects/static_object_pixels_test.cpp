// A static object drawn by the layer on the software device: its picture turned by its rotation.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "objects/stat_obj_constructor.h"
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
class StaticObjectPixelsTest : public doc_res_test::DeviceTest {
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

// The picture is red on its left half and blue on its right half. A quarter turn counterclockwise
// brings its left side to the bottom; half a turn to the right.
TEST_F(StaticObjectPixelsTest, TheSpriteIsTurnedByItsRotation) {
  struct Row {
    UINT rotation;
    int redX, redY, blueX, blueY;
  };
  const Row rows[] = {{0, 112, 128, 144, 128}, {90, 128, 144, 128, 112}, {180, 144, 128, 112, 128}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rotation);
    DS_2D_Light light;
    ShowPicture(light);
    DS_StatObjConstructor d;
    d.imageLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"split.bmp", 1));
    d.count = 1;
    d.size = 64;
    d.rotation.value = row.rotation;
    d.rectangle.centreX.value = 128;
    d.rectangle.centreY.value = 128;
    std::unique_ptr<DS_SpriteArrayObj> sprites(static_cast<DS_SpriteArrayObj*>(d.CreateObject()));
    ASSERT_EQ(sprites->particles.size(), 1u);
    sprites->Update(0.05f);
    const std::vector<uint32_t> pixels = Draw(*sprites, light);
    ASSERT_EQ(pixels.size(), 256u * 256u);
    auto at = [&](int x, int y) { return pixels[size_t(y) * 256 + x]; };
    EXPECT_EQ(at(row.redX, row.redY), 0xFF0000u);
    EXPECT_EQ(at(row.blueX, row.blueY), 0x0000FFu);
    EXPECT_EQ(at(128 + 40, 128), 0u);
    EXPECT_EQ(at(128, 128 - 40), 0u);
  }
}

}  // namespace

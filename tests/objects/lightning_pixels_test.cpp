// Lightning drawn by the layer on the software device: nothing shows while a sprite is dark, and a
// flash adds its tint to the picture under it, brightest when it lights and dimmer as it fades.
#include <gtest/gtest.h>

#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "objects/lightning_constructor.h"
#include "document/device.h"
#include "render/sprite_array_obj.h"
#include "slideshow/light_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace {

constexpr uint32_t kBackground = 0x404040u;

// A 256 x 256 device whose untextured 256 x 256 picture fills the back buffer (picture pixels are
// screen pixels), and a current resource manager whose document holds "white.png".
class LightningPixelsTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    docbuild::DocumentBuilder doc;
    doc.DocResManager(3, {{u"white.png", 1, {docbuild::Embedded(u"white.png", doc_res_test::Png(4, 4, 0xFFFFFF))}}},
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
    light_.CreateScreenQuad();
    light_.picture.SetFromInfo(256, 256, nullptr);
    light_.screenQuad.SetTextureEntry(light_.picture);
    light_.Resize(256, 256);
    light_.SetPicturePosition(kFit);
    light_.RestoreDeviceResources();
  }
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    g_Device = nullptr;
    DeviceTest::TearDown();
  }

  // The back buffer's colour (no alpha) at (x, y) after drawing the sprites over the background.
  uint32_t DrawAndRead(DS_SpriteArrayObj& sprites, int x, int y) {
    EXPECT_EQ(device_->BeginScene(), S_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | kBackground, 1.0f, 0);
    sprites.Render(light_);
    device_->EndScene();
    const std::vector<uint32_t> pixels = screen_.BackBuffer();
    if (pixels.empty()) {
      ADD_FAILURE() << "back buffer not readable";
      return 0;
    }
    return pixels[size_t(y) * screen_.params.BackBufferWidth + x];
  }

  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
  DS_2D_Light light_;
};

int Red(uint32_t pixel) { return static_cast<int>(pixel >> 16 & 0xFFu); }
int Green(uint32_t pixel) { return static_cast<int>(pixel >> 8 & 0xFFu); }
int Blue(uint32_t pixel) { return static_cast<int>(pixel & 0xFFu); }

TEST_F(LightningPixelsTest, AFlashAddsItsTintOverThePictureAndFades) {
  DS_LightingConstructor d;
  d.imageLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"white.png", 1));
  d.count = 1;
  d.size = 32;
  d.color = 0x00000080u;  // stored blue-green-red: half red
  std::unique_ptr<DS_SpriteArrayObj> sprites(static_cast<DS_SpriteArrayObj*>(d.CreateObject()));
  ASSERT_EQ(sprites->particles.size(), 1u);
  Particle& p = sprites->particles.front();

  float t = 0.0f;
  sprites->Update(t);
  ASSERT_EQ(p.alpha, 0.0f);
  const int darkX = static_cast<int>(p.position.x), darkY = static_cast<int>(p.position.y);
  EXPECT_EQ(DrawAndRead(*sprites, darkX, darkY), kBackground);  // dark: nothing shows

  while (p.alpha == 0.0f && t < 100.0f) sprites->Update(t += 0.02f);
  ASSERT_EQ(p.alpha, 1.0f);
  const int x = static_cast<int>(p.position.x), y = static_cast<int>(p.position.y);
  // Added, not blended: the background's green and blue stay as they were under the flash.
  const uint32_t lit = DrawAndRead(*sprites, x, y);
  EXPECT_NEAR(Red(lit), 0x40 + 0x80, 2);
  EXPECT_EQ(Green(lit), 0x40);
  EXPECT_EQ(Blue(lit), 0x40);
  // Well outside the 32-pixel sprite, whatever its tilt, the picture is untouched.
  const int farX = x < 128 ? x + 40 : x - 40;
  EXPECT_EQ(DrawAndRead(*sprites, farX, y), kBackground);

  sprites->Update(t += 0.05f);  // fades by 0.3
  ASSERT_NEAR(p.alpha, 0.7f, 1e-4f);
  const uint32_t fading = DrawAndRead(*sprites, x, y);
  EXPECT_NEAR(Red(fading), 0x40 + 0.7 * 0x80, 2);
  EXPECT_EQ(Green(fading), 0x40);
}

}  // namespace

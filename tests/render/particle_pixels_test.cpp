// Particle sprites drawn by the layer on the software device: where they land and which way round.
#include <gtest/gtest.h>

#include <memory>

#include "particle_fixture.h"
#include "slideshow/light_2d.h"

namespace particle_test {
namespace {

class ParticlePixelsTest : public ParticleSceneTest {
 protected:
  // A 256 x 256 picture (untextured: the test draws only the sprites) fitted to the 256 x 256 back buffer: picture pixels are screen pixels.
  void ShowPicture(DS_2D_Light& light) {
    light.CreateScreenQuad();
    light.picture.SetFromInfo(256, 256, nullptr);
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(256, 256);
    light.SetPicturePosition(kFit);
    light.RestoreDeviceResources();
  }
  std::vector<uint32_t> ReadBackBuffer() { return screen_.BackBuffer(); }
};

// A 64-pixel sprite of a picture red on its left half and blue on its right half, centred at
// (128, 96): it covers x 96..160 and y 64..128; the horizontal flip shows it the other way round.
TEST_F(ParticlePixelsTest, SpritesLandOnTheirQuadsAndTheFlipMirrorsThem) {
  struct Case {
    int flip;
    uint32_t left, right;
  };
  const Case cases[] = {{0, 0xFF0000u, 0x0000FFu}, {1, 0x0000FFu, 0xFF0000u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flip);
    TestSprites d(log_);
    d.imageLink = Image(u"split.png");
    d.size = 64;
    d.horizontalFlip = c.flip;
    d.place = [](Particle& p, size_t) { p.position = D3DXVECTOR3(128.0f, 96.0f, 0.0f); };
    std::unique_ptr<DS_SpriteArrayObj> sprites(static_cast<DS_SpriteArrayObj*>(d.CreateObject()));
    DS_2D_Light light;
    ShowPicture(light);
    sprites->Update(0.0f);

    ASSERT_EQ(device_->BeginScene(), S_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    sprites->Render(light);
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 256u * 256u);
    auto at = [&](int x, int y) { return pixels[size_t(y) * 256 + x]; };
    EXPECT_EQ(at(100, 96), c.left);
    EXPECT_EQ(at(124, 70), c.left);
    EXPECT_EQ(at(132, 124), c.right);
    EXPECT_EQ(at(156, 96), c.right);
    // Outside the quad the black clear shows.
    EXPECT_EQ(at(92, 96), 0u);
    EXPECT_EQ(at(164, 96), 0u);
    EXPECT_EQ(at(128, 60), 0u);
    EXPECT_EQ(at(128, 132), 0u);
  }
}

}  // namespace
}  // namespace particle_test

// The effect-drawn particle objects with their effects and pictures from the resource library
// alone: the discharge bolt glows in its colour around a bright bolt, the explosion's fireball
// grows, burns and dissolves, and a text shows through the caption effect.
#include <gtest/gtest.h>

#include <memory>

#include "objects/discharge_fx_constructor.h"
#include "objects/explosion.h"
#include "objects/static_text.h"
#include "render/ab_obj.h"
#include "slideshow/light_2d.h"
#include "slideshow/view_2d.h"
#include "tests/library/library_scene_fixture.h"

namespace library_test {
namespace {

DS_FileLink3 Library(INT id) { return DS_FileLink3::ConstructFromResource(id, u"vaultkit.dll"); }

class LibraryParticlesTest : public LibrarySceneTest {
 protected:
  // A layer showing a 256 x 256 picture of one colour, 1:1 on the back buffer.
  void ShowPicture(DS_2D_Light& light, uint32_t rgb) {
    picture_ = MakePicture(4, 4, [rgb](UINT, UINT) { return rgb; });
    light.CreateScreenQuad();
    light.picture.SetFromInfo(256, 256, picture_.Get());
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(256, 256);
    light.SetPicturePosition(kFit);
    light.RestoreDeviceResources();
    light.background.Set(picture_.Get());
  }

  std::vector<uint32_t> Frame(DS_2D_Light& light, DS_ABObj& object) {
    device_->BeginScene();
    light.Render(false);
    object.Render(light);
    device_->EndScene();
    return ReadBackBuffer();
  }

  ComHolder<IDirect3DTexture9> picture_;
};

TEST_F(LibraryParticlesTest, TheBoltGlowsInItsGlowColourAroundABrightBolt) {
  constexpr uint32_t kNight = 0x101020u;
  DS_2D_Light light;
  ShowPicture(light, kNight);
  DS_DischargeFXConstructor bolt;
  bolt.startPoint = D3DXVECTOR3(40, 128, 0);
  bolt.endPoint = D3DXVECTOR3(216, 128, 0);
  bolt.jitter.SetAndNotify(0);
  bolt.count = 6u;
  bolt.maskLink = Library(96);
  std::unique_ptr<DS_ABObj> object(bolt.CreateObject());
  object->Update(0.05f);
  const std::vector<uint32_t> pixels = Frame(light, *object);

  // On the bolt: near white. Beside it: the glow colour 0xFF9900 (stored as blue, green, red: a
  // light blue) over the night. Far away: the night untouched.
  uint32_t core = 0;
  for (int y = 108; y < 148; ++y)
    if (Red(At(pixels, 128, y)) + Green(At(pixels, 128, y)) > Red(core) + Green(core)) core = At(pixels, 128, y);
  EXPECT_GT(Red(core), 180);
  EXPECT_GT(Green(core), 220);
  EXPECT_GT(Blue(core), 220);
  const uint32_t glow = At(pixels, 128, 120);
  EXPECT_GT(Blue(glow), Blue(kNight) + 60);
  EXPECT_GT(Green(glow), Green(kNight) + 30);
  EXPECT_GT(Blue(glow), Red(glow) + 40);
  EXPECT_EQ(At(pixels, 128, 30), kNight);
  EXPECT_EQ(At(pixels, 10, 128), kNight);
}

TEST_F(LibraryParticlesTest, TheExplosionGrowsBurnsAndDissolves) {
  DS_2D_Light light;
  ShowPicture(light, 0x000000u);
  DS_ExplosionConstructor boom;
  boom.effectLink = Library(100);
  boom.imageLink = Library(99);
  boom.maskLink = Library(8);
  boom.size = 200u;
  boom.position = D3DXVECTOR3(128, 128, 0);
  boom.firstPhase = 1000u;
  boom.secondPhase = 1000u;
  boom.thirdPhase = 1000u;
  boom.pause = 1000u;
  boom.secondColor.value = 0x404040u;
  std::unique_ptr<DS_ABObj> object(boom.CreateObject());
  // The lit pixels and their summed brightness after `seconds` of the loop, in 50 ms frames.
  float clock = 0.0f;
  auto after = [&](float seconds) {
    while (clock + 0.025f < seconds) object->Update(clock += 0.05f);
    const std::vector<uint32_t> pixels = Frame(light, *object);
    std::pair<int, long> lit{0, 0};
    for (uint32_t p : pixels)
      if (p != 0) ++lit.first, lit.second += Red(p) + Green(p) + Blue(p);
    return lit;
  };
  const auto flash = after(0.3f);      // first phase: a quarter of the size growing
  const auto burning = after(1.5f);    // second phase: full size
  const auto smoke = after(2.95f);     // end of the third phase: nearly eaten away
  const auto gone = after(3.5f);       // the pause: nothing
  EXPECT_GT(flash.first, 500);
  EXPECT_GT(burning.first, flash.first * 2);
  EXPECT_LT(smoke.second, burning.second / 4);
  EXPECT_EQ(gone.first, 0);
  // Burning: a hot core, brighter than its edge.
  const std::vector<uint32_t> pixels = (after(5.5f), Frame(light, *object));  // the next loop's second phase
  EXPECT_GT(Red(At(pixels, 128, 128)), 150);
  EXPECT_GT(Red(At(pixels, 128, 128)) + Green(At(pixels, 128, 128)),
            Red(At(pixels, 128, 210)) + Green(At(pixels, 128, 210)));
}

// A text element whose effect is the library's caption effect: its glyphs show in the sprite
// colour (red) inside the element's quad, and nothing outside it.
TEST_F(LibraryParticlesTest, TextShowsThroughTheLibrarysCaptionEffect) {
  DS_2D_Light light;
  ShowPicture(light, 0x000000u);
  DS_StaticTextConstructor text;
  text.effectLink = Library(101);
  text.text = u"II";
  text.width = 128u;
  text.height = 64u;
  text.position = D3DXVECTOR3(128, 128, 0);
  std::unique_ptr<DS_ABObj> object(text.CreateObject());
  object->Update(0.05f);
  const std::vector<uint32_t> pixels = Frame(light, *object);
  int lit = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint32_t p = At(pixels, x, y);
      if (p == 0) continue;
      ++lit;
      EXPECT_TRUE(x >= 64 && x < 192 && y >= 96 && y < 160) << x << "," << y;
      EXPECT_GT(Red(p), Green(p));
    }
  EXPECT_GT(lit, 100);
}

class MissingLibraryParticlesTest : public LibraryParticlesTest {
 protected:
  void SetUp() override { SetUpScene(false); }
};

TEST_F(MissingLibraryParticlesTest, WithoutTheLibraryTheObjectsDrawNothing) {
  DS_2D_Light light;
  ShowPicture(light, 0x101020u);
  DS_DischargeFXConstructor bolt;
  bolt.startPoint = D3DXVECTOR3(40, 128, 0);
  bolt.endPoint = D3DXVECTOR3(216, 128, 0);
  bolt.count = 6u;
  bolt.maskLink = Library(96);
  DS_ExplosionConstructor boom;
  boom.effectLink = Library(100);
  boom.imageLink = Library(99);
  boom.size = 200u;
  boom.position = D3DXVECTOR3(128, 128, 0);
  for (DS_ABObj_Constructor* description : std::initializer_list<DS_ABObj_Constructor*>{&bolt, &boom}) {
    std::unique_ptr<DS_ABObj> object(description->CreateObject());
    object->Update(0.05f);
    for (uint32_t p : Frame(light, *object)) ASSERT_EQ(p, 0x101020u);
  }
}

}  // namespace
}  // namespace library_test

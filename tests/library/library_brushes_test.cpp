// Every effect brush drawn with its effect from the resource library alone: the document names the
// effects by library id and carries no copy. Each shows its effect's characteristic change.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "objects/background_copy.h"
#include "objects/expand_fx.h"
#include "objects/fire_brush.h"
#include "objects/light_fx.h"
#include "objects/move_fx.h"
#include "objects/pattern_brush.h"
#include "objects/radial_wave_fx.h"
#include "objects/rotation_fx.h"
#include "objects/underwater_brush.h"
#include "objects/water_brush.h"
#include "objects/waves_fx.h"
#include "tests/library/library_scene_fixture.h"

namespace library_test {
namespace {

constexpr uint32_t kRed = 0xFF0000u, kBlue = 0x0000FFu;

// A checker board of 16-pixel squares on the 256-pixel layer: red and blue.
uint32_t Checker(UINT x, UINT y) { return (x + y) % 2 == 0 ? kRed : kBlue; }

// Pixels that differ between two frames.
int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

// Where the rings' crest lies right of the centre (128, 128) on a ramp picture whose red grows by
// one per pixel: the middle of the stretch where the outward push (red minus x) is largest.
int CrestDistance(const std::vector<uint32_t>& pixels) {
  int largest = 0;
  for (int x = 136; x < 252; ++x) largest = std::max(largest, Red(At(pixels, x, 128)) - x);
  int first = -1, last = -1;
  for (int x = 136; x < 252; ++x)
    if (Red(At(pixels, x, 128)) - x >= largest - 1) {
      if (first < 0) first = x;
      last = x;
    }
  return (first + last) / 2 - 128;
}

class LibraryBrushTest : public LibrarySceneTest {
 protected:
  // The brush drawn over `picture` on a 256 x 256 layer.
  std::vector<uint32_t> Show(DS_FX_Constructor& brush, const ComHolder<IDirect3DTexture9>& picture) {
    DrawingLayer layer(256, 256);
    layer.background = picture;
    return Draw(brush, layer);
  }
  ComHolder<IDirect3DTexture9> CheckerPicture() { return MakePicture(16, 16, Checker); }
  std::vector<uint32_t> Plain() {
    std::vector<uint32_t> pixels(256 * 256);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = Checker(UINT(i % 256) / 16, UINT(i / 256) / 16);
    return pixels;
  }
};

// One brush of every kind that takes its effect from the library by default.
struct EveryBrush {
  DS_BackgroundCopy copy;
  DS_LightFX light;
  DS_WavesFX waves;
  DS_PatternBrush pattern;
  DS_UnderwaterFX underwater;
  DS_WaterFX water;
  DS_MoveFX move;
  DS_FireFX fire;
  DS_ExpandFX expand;
  DS_RadialWaveFX radial;
  std::vector<DS_FX_Constructor*> All() {
    return {&copy, &light, &waves, &pattern, &underwater, &water, &move, &fire, &expand, &radial};
  }
};

TEST_F(LibraryBrushTest, EveryBrushFindsItsEffectInTheLibrary) {
  EveryBrush brushes;
  for (DS_FX_Constructor* brush : brushes.All()) {
    SCOPED_TRACE(brush->effectLink.stamp);
    brush->Load(nullptr);
    EXPECT_TRUE(brush->effect);
  }
  EXPECT_TRUE(brushes.water.bumpTexture);
}

// The picture moves by the offset, the strip it uncovers mirrored; the x wrap flag shows the
// mirror image of the picture.
TEST_F(LibraryBrushTest, BackgroundCopyMovesThePictureAndItsWrapMirrorsIt) {
  for (int32_t wrap : {0, 1}) {
    SCOPED_TRACE(wrap);
    DS_BackgroundCopy brush;
    brush.rectangle.centreX = 64;  // a quarter of the picture
    brush.xWrap.value = wrap;
    brush.Load(nullptr);
    const auto pixels = Show(brush, MakePicture(2, 1, [](UINT x, UINT) { return x == 0 ? kRed : kBlue; }));
    EXPECT_EQ(At(pixels, 30, 128), wrap ? kBlue : kRed);
    EXPECT_EQ(At(pixels, 160, 128), wrap ? kBlue : kRed);  // plain: blue from 128; moved: red to 192
    EXPECT_EQ(At(pixels, 230, 128), wrap ? kRed : kBlue);
  }
}

TEST_F(LibraryBrushTest, LightBrightensThePicture) {
  DS_LightFX brush;
  brush.Load(nullptr);
  int brightest = 0;
  for (float t = 0.0f; t < 3.0f; t += 0.25f) {
    brush.Update(t);
    const auto pixels = Show(brush, MakePicture(4, 4, [](UINT, UINT) { return 0x606060u; }));
    EXPECT_GE(Red(At(pixels, 128, 128)), 0x60);
    brightest = std::max(brightest, Red(At(pixels, 128, 128)));
  }
  EXPECT_GT(brightest, 0x60 + 20);
}

// Waves, underwater wobble, water and move push the picture's pixels, differently as time goes on.
TEST_F(LibraryBrushTest, MovingBrushesMovePixelsAndKeepMoving) {
  DS_WavesFX waves;
  DS_UnderwaterFX underwater;
  DS_WaterFX water;
  DS_MoveFX move;
  move.amplitude.SetAndNotify(400);
  for (DS_FX_Constructor* brush : std::initializer_list<DS_FX_Constructor*>{&waves, &underwater, &water, &move}) {
    SCOPED_TRACE(brush->effectLink.stamp);
    brush->Load(nullptr);
    brush->Update(0.0f);
    brush->Update(0.15f);
    const auto first = Show(*brush, CheckerPicture());
    for (float t = 0.3f; t <= 0.9f; t += 0.15f) brush->Update(t);
    const auto later = Show(*brush, CheckerPicture());
    EXPECT_GT(Changed(first, Plain()), 1000);
    EXPECT_GT(Changed(first, later), 1000);
  }
}

// The tile's opaque half shows over a black picture, in columns spaced by the tile size; the
// brush zoom of 2 makes the tiles twice as large.
TEST_F(LibraryBrushTest, PatternTilesThePictureSpacedByTheZoom) {
  for (UINT zoomValue : {50u, 100u}) {
    SCOPED_TRACE(zoomValue);
    DS_PatternBrush brush;
    brush.patternLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"tile.dds", 1));
    brush.patternScale.SetAndNotify(400);  // 256 / (8 x 4) = 8 tiles across
    brush.zoom.SetAndNotify(zoomValue);
    brush.Load(nullptr);
    const auto pixels = Show(brush, MakePicture(4, 4, [](UINT, UINT) { return 0x000000u; }));
    int switches = 0;
    for (int x = 1; x < 256; ++x) switches += (At(pixels, x, 100) == kRed) != (At(pixels, x - 1, 100) == kRed);
    EXPECT_NEAR(switches, zoomValue == 50u ? 15 : 7, 1);
  }
}

TEST_F(LibraryBrushTest, FireFlickersInItsColours) {
  DS_FireFX fire;
  const float corners[4][2] = {{32, 224}, {32, 32}, {224, 224}, {224, 32}};
  for (int i = 0; i < 4; ++i) fire.quad.corners[i] = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
  fire.Load(nullptr);
  ASSERT_TRUE(fire.patternTexture);
  ASSERT_TRUE(fire.noiseTexture);
  fire.Update(0.0f);
  const auto first = Show(fire, MakePicture(4, 4, [](UINT, UINT) { return 0x000000u; }));
  for (float t = 0.2f; t <= 1.0f; t += 0.2f) fire.Update(t);
  const auto later = Show(fire, MakePicture(4, 4, [](UINT, UINT) { return 0x000000u; }));
  int flames = 0;
  for (uint32_t p : first) flames += Red(p) > 64 && Red(p) >= Blue(p);
  EXPECT_GT(flames, 500);
  EXPECT_GT(Changed(first, later), 200);
  EXPECT_EQ(At(first, 5, 5), 0x000000u);  // outside the quad
}

// The crest of the rings (the largest outward push) lies further from the centre as time grows
// with the outward flag, and nearer without it.
TEST_F(LibraryBrushTest, RadialWavesRunOutwardWithTheOutwardFlag) {
  for (int32_t outward : {1, 0}) {
    SCOPED_TRACE(outward);
    DS_RadialWaveFX brush;
    brush.centre.value = D3DXVECTOR3(128, 128, 0);
    brush.amplitude.SetAndNotify(200);  // 0.05 of the picture
    brush.frequency.SetAndNotify(990);  // "frequency" 10: rings 0.63 of the picture apart
    brush.outward.value = outward;
    brush.Load(nullptr);
    auto crest = [&](float clock) {
      brush.speed.accumulated = clock;
      return CrestDistance(Show(brush, MakePicture(256, 1, [](UINT x, UINT) { return x << 16; })));
    };
    const int before = crest(40.0f);  // time 3.2 outward (crest at r = 0.163), -3.2 inward (0.151)
    const int after = crest(45.0f);   // time 3.6 outward (0.203), -3.6 inward (0.111)
    if (outward)
      EXPECT_GT(after, before + 5);
    else
      EXPECT_LT(after, before - 5);
  }
}

// The brush zoom spaces the rings: at a zoom of 2 the crest lies twice as far from the centre.
TEST_F(LibraryBrushTest, TheZoomSpacesTheRadialRings) {
  int distance[2] = {};
  for (int i : {0, 1}) {
    DS_RadialWaveFX brush;
    brush.centre.value = D3DXVECTOR3(128, 128, 0);
    brush.amplitude.SetAndNotify(200);
    brush.frequency.SetAndNotify(990);
    brush.outward.value = 1;
    brush.zoom.SetAndNotify(i == 0 ? 50u : 100u);
    brush.Load(nullptr);
    brush.speed.accumulated = 44.26f;  // time 3.54: the crest (10 r - time = -pi / 2) at r = 0.197 at zoom 1
    distance[i] = CrestDistance(Show(brush, MakePicture(256, 1, [](UINT x, UINT) { return x << 16; })));
  }
  EXPECT_NEAR(distance[0], 50, 4);
  EXPECT_NEAR(distance[1], 2 * distance[0], 6);
}

// The shape sharpens the water's wave crests: the same waves push the picture differently.
TEST_F(LibraryBrushTest, TheShapeChangesTheWaterWaves) {
  std::vector<uint32_t> frames[2];
  for (int i : {0, 1}) {
    DS_WaterFX water;
    water.wave2Scale.SetAndNotify(400);  // the wave pushes the picture by 0.05
    water.bumpRotationScale.SetAndNotify(0);
    water.shape.SetAndNotify(i == 0 ? 20u : 8000u);
    water.Load(nullptr);
    water.Update(0.0f);
    frames[i] = Show(water, CheckerPicture());
  }
  EXPECT_GT(Changed(frames[0], frames[1]), 1000);
}

TEST_F(LibraryBrushTest, ExpandAndRotationReworkThePicture) {
  DS_ExpandFX expand;
  expand.centre.value = D3DXVECTOR3(128, 128, 0);
  expand.Load(nullptr);
  for (float t = 0.0f; t <= 1.0f; t += 0.2f) expand.Update(t);
  DS_RotationFX rotation;
  rotation.effectLink = DS_FileLink3::ConstructFromResource(104, u"vaultkit.dll");
  rotation.centre.value = D3DXVECTOR3(128, 128, 0);
  rotation.speed.SetAndNotify(200);
  rotation.Load(nullptr);
  for (float t = 0.0f; t <= 1.0f; t += 0.2f) rotation.Update(t);
  for (DS_FX_Constructor* brush : std::initializer_list<DS_FX_Constructor*>{&expand, &rotation}) {
    SCOPED_TRACE(brush->effectLink.stamp);
    EXPECT_GT(Changed(Show(*brush, CheckerPicture()), Plain()), 1000);
  }
}

// Without the library file every brush loads without an effect and draws nothing.
class MissingLibraryBrushTest : public LibraryBrushTest {
 protected:
  void SetUp() override { SetUpScene(false); }
};

TEST_F(MissingLibraryBrushTest, BrushesLoadWithoutEffectsAndDrawNothing) {
  EveryBrush brushes;
  for (DS_FX_Constructor* brush : brushes.All()) {
    SCOPED_TRACE(brush->effectLink.stamp);
    brush->Load(nullptr);
    EXPECT_FALSE(brush->effect);
    brush->Update(0.5f);
    const auto pixels = Show(*brush, CheckerPicture());
    EXPECT_EQ(Changed(pixels, std::vector<uint32_t>(256 * 256, 0x000000u)), 0) << "drew something";
  }
  EXPECT_FALSE(brushes.water.bumpTexture);
}

}  // namespace
}  // namespace library_test

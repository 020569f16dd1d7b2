// The layers that draw through effects and library pictures, with nothing of the library in the
// document: the flame layer's flames and heat shimmer, the underwater layer's wobble, and the lake,
// whose signed bump map (the library's water bump) ripples the reflection in place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include <windows.h>

#include "objects/flame_light.h"
#include "objects/underwater_light.h"
#include "slideshow/lake_light.h"
#include "tests/library/library_scene_fixture.h"

namespace library_test {
namespace {

int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

struct Shift {
  double across = 0, down = 0, size = 0;
};

class LibraryLayerTest : public LibrarySceneTest {
 protected:
  // As a slide starts its layer showing "field.dds" on the whole back buffer.
  void Start(DS_2D_Light& light) {
    light.pictureLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"field.dds", 1));
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.Resize(256, 256);
    light.RestoreDeviceResources();
  }
  // One frame as a slide draws a layer without objects.
  std::vector<uint32_t> Frame(DS_2D_Light& light, float time) {
    light.AdvanceFrame(time);
    device_->BeginScene();
    if (light.HasPostEffect()) light.BeginLayerTarget();
    light.Render(false);
    light.PostRender();
    device_->EndScene();
    return ReadBackBuffer();
  }
};

TEST_F(LibraryLayerTest, FlamesBurnAtTheBottomAndTheHeatShimmersAboveThem) {
  std::vector<uint32_t> with, without;
  for (int distortion : {1, 0}) {
    DS_FlameLight light;
    light.distortionSwitch = distortion;
    Start(light);
    Frame(light, 0.0f);
    (distortion ? with : without) = Frame(light, 0.5f);
  }
  int flames = 0;
  for (int y = 200; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint32_t p = At(without, x, y);
      flames += Red(p) > 200 && Blue(p) < 100;
    }
  EXPECT_GT(flames, 2000) << "flame-coloured pixels along the bottom";
  // The shimmer moves what was drawn: many pixels differ, but only by a little (a few rows or
  // columns of the picture, whose colours change by 4 per picture texel).
  int moved = 0, far = 0;
  for (int y = 0; y < 180; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint32_t a = At(with, x, y), b = At(without, x, y);
      moved += a != b;
      far += std::abs(Red(a) - Red(b)) > 40 || std::abs(Green(a) - Green(b)) > 40;
    }
  EXPECT_GT(moved, 5000);
  EXPECT_LT(far, 500);
}

TEST_F(LibraryLayerTest, TheUnderwaterLayerWobblesThePicture) {
  FakeUndervater light;
  Start(light);
  const auto first = Frame(light, 0.1f);
  const auto later = Frame(light, 0.6f);
  EXPECT_GT(Changed(first, later), 5000);
}

// The lake's bump map turned by the rotating bump matrix: a signed map (the library's water bump)
// moves the reflection's pixels back and forth around where they belong, so on average the
// reflection stays put; the same slopes stored unsigned (0.5 for none) push the whole reflection
// one way, and round in a circle as the matrix turns.
TEST_F(LibraryLayerTest, TheLakeRipplesInPlaceWithTheSignedBumpMap) {
  HMODULE library = LoadLibraryW(u"vaultkit.dll");
  ASSERT_NE(library, nullptr);
  HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(89), u"DDS");
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(library, found)));
  const Bytes signedBump(bytes, bytes + SizeofResource(library, found));
  ASSERT_GT(signedBump.size(), 128u + 128u * 128u * 2u);
  // The top level's offsets stored as an unsigned picture: red 128 + u, green 128 + v.
  const Bytes unsignedBump = ColourDds(128, 128, [&](UINT x, UINT y) {
    const uint8_t* texel = &signedBump[128 + (size_t(y) * 128 + x) * 2];
    return 0xFF000000u | uint32_t(128 + int8_t(texel[0])) << 16 | uint32_t(128 + int8_t(texel[1])) << 8;
  });
  const Bytes picture = ColourDds(256, 256, [](UINT x, UINT y) { return 0xFF000000u | y << 16 | x << 8; });
  const GUID guid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  const std::u16string guidText = u"{12345678-9ABC-DEF0-0102-030405060708}";

  // The mean shift of the reflection (in picture texels, across and down) and the mean size of each
  // pixel's shift in the lake's rows,
  // against the same lake without a bump map, at a few times over one turn of the matrix.
  auto meanShifts = [&](const Bytes* bump) {
    std::vector<docbuild::GuidBlobEntry> guids;
    if (bump) guids.push_back({guidText, u"bump", 1, *bump, u"bump.dds"});
    UseDocument({{u"field.dds", 1, {docbuild::Embedded(u"field.dds", picture)}}}, guids);
    std::vector<Shift> shifts;
    for (float t : {0.0f, 0.35f, 0.7f, 1.05f}) {
      std::vector<uint32_t> frames[2];
      for (int bumped : {0, 1}) {
        FakeLake2D lake;
        lake.bumpGuid = bumped ? guid : GUID{};
        lake.tintAlpha = 0u;
        Start(lake);
        lake.AdvanceFrame(0.0f);
        for (float step = 0.1f; step < t; step += 0.1f) lake.AdvanceFrame(step);
        frames[bumped] = Frame(lake, t);
      }
      Shift shift;
      int n = 0;
      for (int y = 180; y < 250; ++y)
        for (int x = 20; x < 236; ++x, ++n) {
          const int across = Green(At(frames[1], x, y)) - Green(At(frames[0], x, y));
          const int down = Red(At(frames[1], x, y)) - Red(At(frames[0], x, y));
          shift.across += across;
          shift.down += down;
          shift.size += std::hypot(across, down);
        }
      shift.across /= n, shift.down /= n, shift.size /= n;
      shifts.push_back(shift);
    }
    return shifts;
  };
  double unsignedDrift = 0;
  for (const Shift& shift : meanShifts(&signedBump)) {
    EXPECT_LT(std::hypot(shift.across, shift.down), 1.0) << "the reflection drifts";
    EXPECT_GT(shift.size, 2.0) << "the reflection does not ripple";
  }
  for (const Shift& shift : meanShifts(&unsignedBump))
    unsignedDrift = std::max(unsignedDrift, std::hypot(shift.across, shift.down));
  EXPECT_GT(unsignedDrift, 3.0);
}

class MissingLibraryLayerTest : public LibraryLayerTest {
 protected:
  void SetUp() override { SetUpScene(false); }
};

// Without the library the flame and underwater layers still show their slide, and nothing else.
TEST_F(MissingLibraryLayerTest, LayersShowThePictureAlone) {
  DS_FlameLight flames;
  FakeUndervater underwater;
  for (DS_2D_Light* light : std::initializer_list<DS_2D_Light*>{&flames, &underwater}) {
    Start(*light);
    const auto pixels = Frame(*light, 0.5f);
    // The picture is filtered: within a texel's step of its colours.
    for (auto [x, y] : {std::pair{10, 10}, std::pair{128, 128}, std::pair{200, 240}}) {
      EXPECT_NEAR(Red(At(pixels, x, y)), y, 4) << x << "," << y;
      EXPECT_NEAR(Green(At(pixels, x, y)), x, 4) << x << "," << y;
      EXPECT_EQ(Blue(At(pixels, x, y)), 0) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace library_test

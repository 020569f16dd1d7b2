// The flame layer on the software device: where its fire quad and distortion quad lie, what its
// distortion effect is told each frame, and what it draws, with and without flames and distortion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flame_fixture.h"
#include "platform/d3dx9/effect.h"
#include "document/device.h"
#include "slideshow/view_2d.h"

namespace flame_test {
namespace {

std::vector<DX_V::PT> Vertices(DS_SimpleMesh<DX_V::PT>& mesh) {
  std::vector<DX_V::PT> out;
  if (DX_V::PT* v = mesh.LockVertices()) {
    out.assign(v, v + mesh.vertexCount);
    mesh.UnlockVertices();
  }
  return out;
}

// The values of the last call of that method and name on the effect; empty when there was none.
std::vector<float> LastValues(ID3DXEffect* effect, const std::string& method, const std::string& name) {
  std::vector<float> found;
  for (const d3dx9::EffectCall& call : *d3dx9::RecordedEffectCalls(effect))
    if (call.method == method && call.name == name) found = call.values;
  return found;
}

using FlameLayerTest = FlameSceneTest;

// The flames are 0.65 of the picture tall and stand on its bottom edge at height 0; every unit of
// height pushes them down by 0.005 of the picture height. The distortion quad covers the picture.
TEST_F(FlameLayerTest, QuadsFollowThePictureAndTheFireHeight) {
  const struct {
    unsigned height;
    float top, bottom;  // in picture pixels, picture 64 x 32
  } cases[] = {{0, 0.35f * 32, 32}, {100, 0.85f * 32, 1.5f * 32}, {20, 0.45f * 32, 1.1f * 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "fire height " << c.height);
    auto light = MakeLayer();
    light->fireHeight = c.height;
    Start(*light);
    const std::vector<DX_V::PT> fire = Vertices(light->fireQuad);
    ASSERT_EQ(fire.size(), 4u);
    EXPECT_EQ(light->fireQuad.primitiveType, D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(light->fireQuad.primitiveCount, 2u);
    const float x[4] = {0, 64, 0, 64};
    const float y[4] = {c.top, c.top, c.bottom, c.bottom};
    const float u[4] = {0, 1, 0, 1};
    const float v[4] = {0, 0, 0.95f, 0.95f};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(fire[i].x, x[i]) << i;
      EXPECT_NEAR(fire[i].y, y[i], 1e-4f) << i;
      EXPECT_EQ(fire[i].z, 0.0f) << i;
      EXPECT_FLOAT_EQ(fire[i].u, u[i]) << i;
      EXPECT_FLOAT_EQ(fire[i].v, v[i]) << i;
    }
    const std::vector<DX_V::PT> heat = Vertices(light->distortion.quad);
    ASSERT_EQ(heat.size(), 4u);
    const float hx[4] = {0, 0, 64, 64}, hy[4] = {32, 0, 32, 0}, hu[4] = {0, 0, 1, 1}, hv[4] = {1, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(heat[i].x, hx[i]) << i;
      EXPECT_EQ(heat[i].y, hy[i]) << i;
      EXPECT_EQ(heat[i].u, hu[i]) << i;
      EXPECT_EQ(heat[i].v, hv[i]) << i;
    }
    EXPECT_FLOAT_EQ(light->distortion.aspect, 0.5f);
  }
}

TEST_F(FlameLayerTest, ANewPictureMovesBothQuads) {
  auto light = MakeLayer();
  Start(*light);
  light->pictureLink = Image(u"frame.png");  // 4 x 4
  light->pictureLink.NotifyAll(nullptr);
  const std::vector<DX_V::PT> fire = Vertices(light->fireQuad);
  ASSERT_EQ(fire.size(), 4u);
  EXPECT_FLOAT_EQ(fire[3].x, 4.0f);
  EXPECT_FLOAT_EQ(fire[3].y, 4.0f);
  EXPECT_NEAR(fire[0].y, 0.35f * 4, 1e-5f);
  EXPECT_FLOAT_EQ(fire[3].v, 0.95f);
  EXPECT_FLOAT_EQ(light->distortion.aspect, 1.0f);
  EXPECT_FLOAT_EQ(Vertices(light->distortion.quad)[2].x, 4.0f);
}

// "stenght" is the derived strength x 0.05, "Offset" runs with the clock (0.05 per second at the
// default speed), "bump_scale" is (s, s x height / width) and square before any picture.
TEST_F(FlameLayerTest, FrameMoveTellsTheDistortionEffectItsValues) {
  auto light = MakeLayer();
  light->distortion.Init();
  ID3DXEffect* effect = light->distortion.effect.Get();
  ASSERT_NE(effect, nullptr);
  light->distortion.Update(0.0f);
  const std::vector<float> square = LastValues(effect, "SetFloatArray", "bump_scale");
  ASSERT_EQ(square.size(), 2u);
  EXPECT_FLOAT_EQ(square[0], 0.208f);
  EXPECT_FLOAT_EQ(square[1], 0.208f);

  light->distortion.SetSize(64, 32);
  light->distortion.Update(0.1f);
  light->distortion.Update(0.3f);
  const std::vector<float> strength = LastValues(effect, "SetFloat", "stenght");
  ASSERT_EQ(strength.size(), 1u);
  EXPECT_FLOAT_EQ(strength[0], 0.0025f);
  const std::vector<float> offset = LastValues(effect, "SetFloatArray", "Offset");
  ASSERT_EQ(offset.size(), 2u);
  EXPECT_NEAR(offset[0], 0.05f * 0.3f, 1e-6f);
  EXPECT_FLOAT_EQ(offset[1], -offset[0]);
  const std::vector<float> scale = LastValues(effect, "SetFloatArray", "bump_scale");
  ASSERT_EQ(scale.size(), 2u);
  EXPECT_FLOAT_EQ(scale[0], 0.208f);
  EXPECT_FLOAT_EQ(scale[1], 0.104f);

  // A long pause counts as 0.2 seconds, as every clock of the scene does.
  light->distortion.Update(10.0f);
  EXPECT_NEAR(LastValues(effect, "SetFloatArray", "Offset")[0], 0.05f * 0.5f, 1e-6f);

  // A picture without a width keeps the bump map square instead of stretching it without end.
  light->distortion.SetSize(0, 32);
  light->distortion.Update(10.1f);
  EXPECT_FLOAT_EQ(LastValues(effect, "SetFloatArray", "bump_scale").at(1), 0.208f);
}

// Without a distortion effect the distortion is off for good: no layer target is asked for, nothing
// is set or drawn for it, and the flames still draw.
TEST_F(FlameLayerTest, WithoutADistortionEffectTheLayerDrawsFlamesAlone) {
  const char16_t* const links[] = {u"missing.fx", u"broken.fx"};
  for (const char16_t* link : links) {
    SCOPED_TRACE(std::string(link, link + std::char_traits<char16_t>::length(link)));
    auto light = MakeLayer();
    light->distortion.effectLink = DS_FileLink3::ConstructFromSnapshot(link, 1);
    Start(*light);
    EXPECT_EQ(light->distortionSwitch.value, 0);
    EXPECT_FALSE(light->HasPostEffect());
    EXPECT_EQ(light->distortion.effect.Get(), nullptr);
    Frame(*light, 0.5f);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, 128, 150), kYellow);
    EXPECT_EQ(At(pixels, 128, 90), kBlue);
  }
}

TEST_F(FlameLayerTest, PostEffectOnlyWhileTheDistortionSwitchIsOne) {
  const struct {
    int value;
    bool post;
  } cases[] = {{1, true}, {0, false}, {2, false}, {-1, false}};
  for (const auto& c : cases) {
    DS_FlameLight light;
    light.distortionSwitch = c.value;
    EXPECT_EQ(light.HasPostEffect(), c.post) << c.value;
  }
}

// Through the real layer: the picture fitted into rows 64 to 192, the flames over its lower 0.65,
// the grey borders over everything outside it (flames pushed below the edge included).
TEST_F(FlameLayerTest, FlamesLandOnThePictureWithOrWithoutDistortion) {
  const struct {
    const char* what;
    int fire;
    int distortion;
    unsigned height;
    uint32_t at100, at120, at150, at185, at230;
  } cases[] = {
      {"flames, distortion", 1, 1, 0, kBlue, kYellow, kYellow, kYellow, kFrameGrey},
      {"flames only", 1, 0, 0, kBlue, kYellow, kYellow, kYellow, kFrameGrey},
      {"no flames, distortion", 0, 1, 0, kBlue, kBlue, kBlue, kBlue, kFrameGrey},
      {"no flames at all", 0, 0, 0, kBlue, kBlue, kBlue, kBlue, kFrameGrey},
      {"pushed down", 1, 1, 100, kBlue, kBlue, kBlue, kYellow, kFrameGrey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto light = MakeLayer();
    light->fireSwitch = c.fire;
    light->distortionSwitch = c.distortion;
    light->fireHeight = c.height;
    Start(*light);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FFu, 1.0f, 0);
    Frame(*light, 0.0f);
    Frame(*light, 0.25f);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, 128, 100), c.at100);
    EXPECT_EQ(At(pixels, 128, 120), c.at120);
    EXPECT_EQ(At(pixels, 128, 150), c.at150);
    EXPECT_EQ(At(pixels, 20, 185), c.at185);
    EXPECT_EQ(At(pixels, 128, 230), c.at230);
    EXPECT_EQ(At(pixels, 128, 30), kFrameGrey);
    // The flames' top edge: 0.35 x 32 picture rows = 44.8 target rows into the picture.
    if (c.fire && c.height == 0) {
      EXPECT_EQ(At(pixels, 128, 64 + 43), kBlue);
      EXPECT_EQ(At(pixels, 128, 64 + 47), kYellow);
    }
  }
}

// A bump map of full green reads the layer "stenght" further down: with the strength raised so that
// "stenght" is 0.1, the flames' top edge rises by 0.1 of the fitted picture's 128 rows.
TEST_F(FlameLayerTest, DistortionMovesWhatTheLayerDrew) {
  auto light = MakeLayer();
  light->distortion.bumpLink = Image(u"lift.png");
  light->distortion.strength.SetAndNotify(1000);  // 2.0, so "stenght" 0.1
  Start(*light);
  Frame(*light, 0.0f);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(At(pixels, 128, 64 + 30), kBlue);
  EXPECT_EQ(At(pixels, 128, 64 + 35), kYellow);
  EXPECT_EQ(At(pixels, 128, 64 + 43), kYellow);
}

// The fire brush's own grid, drawn by a plain layer through the effect, lands between its corners
// whatever world transform an earlier drawing left on the device.
TEST_F(FlameLayerTest, FireBrushGridInAPlainLayerLandsBetweenItsCorners) {
  DS_2D_Light light;
  light.pictureLink = Image(u"field.png");
  Start(light);
  DS_FireFX fire;
  fire.patternLink = DS_FileLink3::ConstructFromResource(7, u"vaultkit.dll");
  fire.noiseLink = DS_FileLink3::ConstructFromResource(8, u"vaultkit.dll");
  // Picture pixels (8, 4)-(24, 20): target columns 32 to 96, rows 80 to 144.
  const float corners[4][2] = {{8, 20}, {8, 4}, {24, 20}, {24, 4}};
  for (int i = 0; i < 4; ++i) fire.quad.corners[i].value = D3DXVECTOR3(corners[i][0], corners[i][1], 0);
  MaskHolder noMask;
  fire.Load(&noMask);
  ASSERT_TRUE(fire.effect);

  light.AdvanceFrame(0.0f);
  device_->BeginScene();
  light.Render(false);
  D3DXMATRIX stray;
  D3DXMatrixTranslation(&stray, 100.0f, 50.0f, 0.0f);
  device_->SetTransform(D3DTS_WORLD, &stray);
  fire.Apply(light);
  device_->EndScene();

  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(At(pixels, 40, 88), kYellow);
  EXPECT_EQ(At(pixels, 90, 138), kYellow);
  EXPECT_EQ(At(pixels, 28, 110), kBlue);
  EXPECT_EQ(At(pixels, 100, 110), kBlue);
  EXPECT_EQ(At(pixels, 60, 76), kBlue);
  EXPECT_EQ(At(pixels, 60, 148), kBlue);
  // The device has its world transform back from the pass.
  D3DMATRIX world;
  device_->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(world._41, 100.0f);
}

}  // namespace
}  // namespace flame_test

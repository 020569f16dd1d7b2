#include <gtest/gtest.h>

#include <cstdlib>

#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "platform/machine/machine.h"
#include "slideshow/glass_ball_light.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kBlack = 0x000000;

void ExpectRgbNear(uint32_t actual, uint32_t expected, const char* where) {
  const bool near = std::abs(Red(actual) - Red(expected)) <= 3 && std::abs(Green(actual) - Green(expected)) <= 3 &&
                    std::abs(Blue(actual) - Blue(expected)) <= 3;
  EXPECT_TRUE(near) << where << ": " << std::hex << actual << " vs " << expected;
}

}  // namespace

class GlassBallPixelsTest : public LayerDeviceTest {
 protected:
  void SetUp() override {
    LayerDeviceTest::SetUp();
    SharedGlassBallScroll() = GlassBallScrollClock{};
  }
  void TearDown() override {
    machine::Current().faults.failResourceCreation = false;
    LayerDeviceTest::TearDown();
  }

  // A still glass ball over a red gradient showing a green slide; the background picture (4:3,
  // `background` or none) is used when the switch is 1.
  void Start(DS_GlassBallLight& light, int backgroundSwitch, IDirect3DTexture9* background) {
    light.scrollMode = 0;
    light.topColor = 0x000000FFu;
    light.bottomColor = 0x000000FFu;
    light.backgroundPictureSwitch = backgroundSwitch;
    light.CreateDeviceResources();
    slide_ = MakeTexture(32, 24, [](int, int) { return 0xFF00FF00u; });
    light.picture.SetFromInfo(640, 480, slide_.Get());
    light.screenQuad.SetTextureEntry(light.picture);
    light.backgroundPicture.SetFromInfo(640, 480, background);
    if (backgroundSwitch == 1) light.SelectBackground();
    light.RestoreDeviceResources();
    light.Resize(int(width_), int(height_));
    light.SetPicturePosition(kFit);
    light.AdvanceFrame(0.0f);
  }

  // One frame as the slide draws it: the layer into its own target, then the post render.
  std::vector<uint32_t> RenderFrame(DS_GlassBallLight& light) {
    EXPECT_EQ(device_->BeginScene(), S_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    light.BeginLayerTarget();
    light.Render(false);
    light.PostRender();
    device_->EndScene();
    return ReadBackBuffer();
  }

  ComHolder<IDirect3DTexture9> slide_;
};

// The slide shows inside the disc, the gradient outside it, over the corners of the sphere quad too.
TEST_F(GlassBallPixelsTest, SlideInsideTheDiscBackgroundAround) {
  CreateDevice(320, 240);
  DS_GlassBallLight light;
  Start(light, 0, nullptr);
  const std::vector<uint32_t> frame = RenderFrame(light);
  ExpectRgbNear(Pixel(frame, 160, 120), kGreen, "centre");
  ExpectRgbNear(Pixel(frame, 231, 48), kGreen, "inside the rim");
  ExpectRgbNear(Pixel(frame, 265, 24), kRed, "quad corner outside the disc");
  ExpectRgbNear(Pixel(frame, 2, 2), kRed, "target corner");
  ExpectRgbNear(Pixel(frame, 317, 237), kRed, "target corner");
}

// A highlight is blended over the sphere quad; the mask then hides it outside the disc again.
TEST_F(GlassBallPixelsTest, HighlightShowsOnlyOverTheDisc) {
  CreateDevice(320, 240);
  DS_GlassBallLight light;
  Start(light, 0, nullptr);
  light.highlight = MakeTexture(8, 8, [](int, int) { return 0x80FFFFFFu; });
  const std::vector<uint32_t> frame = RenderFrame(light);
  ExpectRgbNear(Pixel(frame, 160, 120), 0x80FF80, "centre");
  ExpectRgbNear(Pixel(frame, 265, 24), kRed, "quad corner outside the disc");
}

// A 4:3 background picture fitted into 16:9 leaves black bars beside it.
TEST_F(GlassBallPixelsTest, FitBackgroundPictureHasBlackBars) {
  CreateDevice(320, 180);
  ComHolder<IDirect3DTexture9> background = MakeTexture(16, 12, [](int, int) { return 0xFF0000FFu; });
  DS_GlassBallLight light;
  Start(light, 1, background.Get());
  const std::vector<uint32_t> frame = RenderFrame(light);
  ExpectRgbNear(Pixel(frame, 10, 90), kBlack, "left bar");
  ExpectRgbNear(Pixel(frame, 310, 90), kBlack, "right bar");
  ExpectRgbNear(Pixel(frame, 50, 170), kBlue, "background picture");
  ExpectRgbNear(Pixel(frame, 160, 90), kGreen, "centre");
}

// Draw by draw: background, refraction, highlights, mask, stand, bars, each with its textures.
TEST_F(GlassBallPixelsTest, PostRenderDrawSequence) {
  ComHolder<IDirect3DTexture9> background = MakeTexture(16, 12, [](int, int) { return 0xFF0000FFu; });
  DS_GlassBallLight light;
  light.standSwitch = 1;
  Start(light, 1, background.Get());
  light.highlight = MakeTexture(4, 4, [](int, int) { return 0x40FFFFFFu; });
  light.secondHighlight = MakeTexture(4, 4, [](int, int) { return 0x40FFFFFFu; });
  light.stand = MakeTexture(4, 4, [](int, int) { return 0xFF808080u; });
  light.BeginLayerTarget();
  IDirect3DTexture9* slide = light.layerTarget.Current();
  ASSERT_NE(slide, nullptr);
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  ASSERT_NE(recorder, nullptr);
  recorder->calls.clear();
  recorder->enabled = true;
  light.PostRender();
  recorder->enabled = false;

  struct Draw {
    DWORD fvf;
    IDirect3DBaseTexture9 *texture0, *texture1;
    DWORD blend, colorOp0;
  };
  IDirect3DBaseTexture9* none = nullptr;
  const Draw expected[] = {
      {0x144, background.Get(), none, FALSE, D3DTOP_SELECTARG1},
      {0x202, light.bumpMap.Get(), slide, FALSE, D3DTOP_BUMPENVMAP},
      {0x202, light.highlight.Get(), none, TRUE, D3DTOP_MODULATE},
      {0x202, light.secondHighlight.Get(), none, TRUE, D3DTOP_MODULATE},
      {0x202, light.sphereMask.Get(), background.Get(), TRUE, D3DTOP_MODULATE},
      {0x202, light.stand.Get(), none, TRUE, D3DTOP_MODULATE},
      {0x44, none, none, TRUE, D3DTOP_SELECTARG1},
      {0x44, none, none, TRUE, D3DTOP_SELECTARG1},
      {0x44, none, none, TRUE, D3DTOP_SELECTARG1},
      {0x44, none, none, TRUE, D3DTOP_SELECTARG1},
  };
  std::vector<const d3d9::RecordedCall*> draws;
  for (const d3d9::RecordedCall& call : recorder->calls)
    if (call.name == "DrawPrimitive") draws.push_back(&call);
  ASSERT_EQ(draws.size(), std::size(expected));
  for (size_t i = 0; i < draws.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "draw " << i);
    const d3d9::DeviceState& s = draws[i]->state;
    EXPECT_EQ(s.fvf, expected[i].fvf);
    EXPECT_EQ(s.textures[0], expected[i].texture0);
    EXPECT_EQ(s.textures[1], expected[i].texture1);
    EXPECT_EQ(s.Render(D3DRS_ALPHABLENDENABLE), expected[i].blend);
    EXPECT_EQ(s.Stage(0, D3DTSS_COLOROP), expected[i].colorOp0);
    EXPECT_EQ(s.Stage(1, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    if (expected[i].fvf == 0x202) {
      EXPECT_EQ(s.streamStride, 28u);
      EXPECT_EQ(s.Stage(1, D3DTSS_TEXCOORDINDEX), DWORD(D3DTSS_TCI_CAMERASPACEPOSITION | 1));
    }
  }
  EXPECT_EQ(d3d9::FloatOf(draws[1]->state.Stage(0, D3DTSS_BUMPENVMAT00)), 0.2f);
  EXPECT_EQ(d3d9::FloatOf(draws[1]->state.Stage(0, D3DTSS_BUMPENVMAT11)), 0.25f);
  // The mask pass projects the background, at the unmagnified scale, not the slide.
  EXPECT_GT(draws[4]->state.texture[1]._11, draws[1]->state.texture[1]._11 * 1.2f);
}

// A device that makes nothing still leaves a layer that chooses its background and draws black.
TEST_F(GlassBallPixelsTest, FailingDeviceCreationsDrawBlack) {
  CreateDevice(160, 120);
  machine::Current().faults.failResourceCreation = true;
  DS_GlassBallLight light;
  light.backgroundPictureSwitch = 1;
  light.CreateDeviceResources();
  EXPECT_EQ(light.effectiveMode, kFit);
  EXPECT_FALSE(light.sphereQuad);
  light.RestoreDeviceResources();
  light.Resize(160, 120);
  light.AdvanceFrame(0.0f);
  const std::vector<uint32_t> frame = RenderFrame(light);
  ExpectRgbNear(Pixel(frame, 80, 60), kBlack, "centre");
  ExpectRgbNear(Pixel(frame, 1, 1), kBlack, "corner");
}

#include <gtest/gtest.h>

#include <cstdlib>

#include "layer_fixture.h"
#include "render/mesh_part.h"
#include "platform/d3d9/recorder.h"
#include "slideshow/light_2d.h"

namespace {

// Within two steps of the expected channel values (filtering and blending round).
void ExpectRgbNear(uint32_t actual, uint32_t expected) {
  EXPECT_LE(std::abs(Red(actual) - Red(expected)), 2) << std::hex << actual << " vs " << expected;
  EXPECT_LE(std::abs(Green(actual) - Green(expected)), 2) << std::hex << actual << " vs " << expected;
  EXPECT_LE(std::abs(Blue(actual) - Blue(expected)), 2) << std::hex << actual << " vs " << expected;
}

}  // namespace

class Light2DPixelsTest : public LayerDeviceTest {
 protected:
  // A layer showing `texture` as a picture of width x height pixels, sized to the back buffer, with
  // the device state of its slide's activation.
  void ShowPicture(DS_2D_Light& light, IDirect3DTexture9* texture, UINT width, UINT height, int mode) {
    light.CreateScreenQuad();
    light.picture.SetFromInfo(width, height, texture);
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(int(width_), int(height_));
    light.SetPicturePosition(mode);
    light.RestoreDeviceResources();
  }

  void RenderLayer(DS_2D_Light& light) {
    ASSERT_EQ(device_->BeginScene(), S_OK);
    light.Render(false);
    light.PostRender();
    device_->EndScene();
  }
};

// A 200 x 100 picture, red on its left half and blue on its right half, on a 1024 x 768 back buffer:
// Fit shows it 1024 x 512 with black bars above and below, Fill scales it by 1.5 about its centre
// (cutting its sides), Stretch scales only its height by 1.5.
TEST_F(Light2DPixelsTest, PicturePositionFitsFillsOrStretchesThePicture) {
  ComHolder<IDirect3DTexture9> texture =
      MakeTexture(16, 8, [](int x, int) { return x < 8 ? 0xFFFF0000u : 0xFF0000FFu; });
  constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kBlue = 0x0000FF;
  struct Sample {
    int x, y;
    uint32_t rgb;
  };
  struct Case {
    int mode;
    std::vector<Sample> samples;
  };
  const Case cases[] = {
      {kFit, {{512, 60, kBlack}, {512, 700, kBlack}, {200, 130, kRed}, {800, 636, kBlue}, {5, 384, kRed}}},
      {kFill, {{300, 3, kRed}, {700, 764, kBlue}, {5, 384, kRed}, {1018, 384, kBlue}}},
      {kStretch, {{5, 3, kRed}, {1018, 764, kBlue}, {300, 384, kRed}, {700, 100, kBlue}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    DS_2D_Light light;
    ShowPicture(light, texture.Get(), 200, 100, c.mode);
    RenderLayer(light);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_FALSE(pixels.empty());
    for (const Sample& s : c.samples) EXPECT_EQ(Pixel(pixels, s.x, s.y), s.rgb) << s.x << ", " << s.y;
  }
}

// A black overlay at alpha 128 halves a white picture, also after a draw that left the alpha
// operation at MODULATE.
TEST_F(Light2DPixelsTest, FadeQuadAtHalfOpacityHalvesThePicture) {
  ComHolder<IDirect3DTexture9> white = MakeTexture(4, 3, [](int, int) { return 0xFFFFFFFFu; });
  DS_2D_Light light;
  ShowPicture(light, white.Get(), 1024, 768, kFit);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  QuadCorners full;
  full.FullBackBuffer();
  DS_SimpleMesh<DX_V::PWC> overlay;
  overlay.BuildQuad(0x80000000u, full);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  light.Render(false);
  light.DrawFadeQuad(overlay);
  device_->EndScene();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_FALSE(pixels.empty());
  for (const auto& [x, y] : {std::pair{10, 10}, std::pair{512, 384}, std::pair{1000, 700}})
    ExpectRgbNear(Pixel(pixels, x, y), 0x7F7F7F);
}

// A red sprite over a grey picture; its mask is blue at half alpha. Blend mode 1 adds the picture to
// the sprite without a mask; with a mask the sprite replaces the picture and only the mask is added.
TEST_F(Light2DPixelsTest, SpriteArrayBlendsByModeAndMask) {
  ComHolder<IDirect3DTexture9> grey = MakeTexture(4, 3, [](int, int) { return 0xFF404040u; });
  ComHolder<IDirect3DTexture9> red = MakeTexture(4, 4, [](int, int) { return 0xFF800000u; });
  ComHolder<IDirect3DTexture9> mask = MakeTexture(4, 4, [](int, int) { return 0x800000FFu; });
  struct Case {
    int blendMode;
    bool masked;
    uint32_t inside;
  };
  const Case cases[] = {
      {0, false, 0x800000},
      {1, false, 0xC04040},
      {0, true, 0x400080},
      {1, true, 0x800080},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "blend " << c.blendMode << " mask " << c.masked);
    DS_2D_Light light;
    ShowPicture(light, grey.Get(), 1024, 768, kFit);
    DS_SpriteArrayT<DX_V::PCT> sprites;
    sprites.Build(1);
    DX_V::PCT* vertex = sprites.LockVertices();
    ASSERT_NE(vertex, nullptr);
    vertex[0] = {100, 300, 0, 0xFFFFFFFFu, 0, 1};
    vertex[1] = {100, 100, 0, 0xFFFFFFFFu, 0, 0};
    vertex[2] = {300, 300, 0, 0xFFFFFFFFu, 1, 1};
    vertex[3] = {300, 100, 0, 0xFFFFFFFFu, 1, 0};
    sprites.UnlockVertices();
    SpriteArrayDraw draw;
    draw.geometry = &sprites;
    draw.texture = red.Get();
    if (c.masked) draw.mask = mask;
    draw.blendMode = c.blendMode;

    ASSERT_EQ(device_->BeginScene(), S_OK);
    light.Render(false);
    light.DrawSpriteArray(draw);
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_FALSE(pixels.empty());
    ExpectRgbNear(Pixel(pixels, 200, 200), c.inside);
    ExpectRgbNear(Pixel(pixels, 500, 500), 0x404040);
    DWORD blending = TRUE;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(blending, DWORD(FALSE));
  }
}

// Every instance of a part is drawn once culled by its frame's byte (non-zero: counter-clockwise),
// and a two-pass part draws the whole list again with the opposite culling, alpha-blended. The quad
// is wound clockwise on the target, so one pass of each frame shows it and the other culls it: with
// one pass only the non-zero frame shows, opaque; with two passes each frame shows exactly once,
// blended at the texture's half alpha (twice would give three quarters).
TEST_F(Light2DPixelsTest, MeshPartDrawsEachInstancePerPass) {
  DS_2D_Light light;
  ShowPicture(light, nullptr, 1024, 768, kFit);
  ComHolder<IDirect3DTexture9> red = MakeTexture(2, 2, [](int, int) { return 0x80FF0000u; });
  DS_Frame culled, plain;
  culled.cullMode = 1;
  D3DXMatrixTranslation(&culled.world, 100, 100, 0);
  plain.cullMode = 0;
  D3DXMatrixTranslation(&plain.world, 400, 100, 0);
  struct Case {
    BYTE twoPass;
    std::vector<DWORD> culls;
    uint32_t culledFrame, plainFrame;  // the colour inside each frame's quad
  };
  const Case cases[] = {
      {0, {D3DCULL_CCW, D3DCULL_CW}, 0xFF0000, 0x000000},
      {1, {D3DCULL_CCW, D3DCULL_CW, D3DCULL_CW, D3DCULL_CCW}, 0x800000, 0x800000},
  };
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  ASSERT_NE(recorder, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.twoPass));
    MeshPart part;
    part.BuildQuadList(1);
    DX_V::PNT* vertex = part.LockVertices();
    ASSERT_NE(vertex, nullptr);
    vertex[0] = {0, 100, 0, 0, 0, -1, 0, 1};
    vertex[1] = {0, 0, 0, 0, 0, -1, 0, 0};
    vertex[2] = {100, 100, 0, 0, 0, -1, 1, 1};
    vertex[3] = {100, 0, 0, 0, 0, -1, 1, 0};
    part.UnlockVertices();
    part.texture = red;
    part.twoPass = c.twoPass;
    part.frames = {&culled, &plain};
    ASSERT_EQ(device_->BeginScene(), S_OK);
    light.Render(false);
    recorder->calls.clear();
    recorder->enabled = true;
    light.DrawMeshFrame(part);
    recorder->enabled = false;
    device_->EndScene();
    std::vector<DWORD> culls;
    for (const d3d9::RecordedCall& call : recorder->calls) {
      if (call.name != "DrawIndexedPrimitive") continue;
      culls.push_back(call.state.Render(D3DRS_CULLMODE));
      EXPECT_EQ(call.state.Render(D3DRS_ALPHABLENDENABLE), DWORD(c.twoPass ? TRUE : FALSE));
      EXPECT_EQ(call.state.fvf, DX_V::PNT::FVF);
    }
    EXPECT_EQ(culls, c.culls);
    DWORD cull = 0;
    device_->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_NONE));
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_FALSE(pixels.empty());
    ExpectRgbNear(Pixel(pixels, 150, 150), c.culledFrame);
    ExpectRgbNear(Pixel(pixels, 450, 150), c.plainFrame);
    ExpectRgbNear(Pixel(pixels, 300, 150), 0x000000);
  }
}

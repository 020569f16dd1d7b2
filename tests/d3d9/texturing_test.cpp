// The pixel stage: sampling and address modes, the texture stages, formats, blending.
#include <algorithm>
#include <array>

#include "device_fixture.h"

namespace {

// Texel (x, y) of a coordinate texture: red 32 x column, green 32 x row.
uint32_t CoordinateTexel(UINT x, UINT y) { return 0xff000000u | (x * 32u) << 16 | (y * 32u) << 8; }

void SelectTexture(IDirect3DDevice9* device, DWORD stage) {
  device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

struct AddressCase {
  DWORD mode;
  std::array<int, 12> texel;  // texel read by pixel x, whose u falls into texel x - 4
};

class AddressModes : public DeviceTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressModes, DecideWhichTexelACoordinateOutsideTheTextureReads) {
  Open(12, 1);
  Holder<IDirect3DTexture9> texture(MakeArgbTexture(4, 1, CoordinateTexel));
  device_->SetTexture(0, texture.Get());
  SelectTexture(device_, 0);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, GetParam().mode);
  // u runs from -1 to 2 over pixels -0.5 .. 11.5, so pixel x samples u = (x + 0.5) / 4 - 1.
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenTexVertex>{{-0.5f, -1, 0, 1, 0, -1, 0.5f},
                                              {11.5f, -1, 0, 1, 0, 2, 0.5f},
                                              {-0.5f, 2, 0, 1, 0, -1, 0.5f},
                                              {11.5f, 2, 0, 1, 0, 2, 0.5f}}),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (int x = 0; x < 12; ++x) EXPECT_EQ(Red(pixels[x]) / 32, GetParam().texel[x]) << "pixel " << x;
  device_->SetTexture(0, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AddressModes,
    ::testing::Values(AddressCase{D3DTADDRESS_WRAP, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}},
                      AddressCase{D3DTADDRESS_MIRROR, {3, 2, 1, 0, 0, 1, 2, 3, 3, 2, 1, 0}},
                      AddressCase{D3DTADDRESS_CLAMP, {0, 0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3}}));

TEST_F(DeviceTest, BilinearFilteringBlendsTheFourNearestTexelCentres) {
  Open(4, 1);
  // Two texels, black and white: their centres are u = 0.25 and 0.75.
  Holder<IDirect3DTexture9> texture(MakeArgbTexture(2, 1, [](UINT x, UINT) { return x ? 0xffffffffu : 0xff000000u; }));
  device_->SetTexture(0, texture.Get());
  SelectTexture(device_, 0);
  device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  // Pixel x samples u = x / 4 + 0.125: 0.125, 0.375, 0.625, 0.875.
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenTexVertex>{{-0.5f, -1, 0, 1, 0, 0, 0}, {3.5f, -1, 0, 1, 0, 1, 0},
                                              {-0.5f, 2, 0, 1, 0, 0, 1}, {3.5f, 2, 0, 1, 0, 1, 1}}),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  const int expected[4] = {0, 64, 191, 255};  // clamped, a quarter, three quarters, clamped
  for (int x = 0; x < 4; ++x) EXPECT_NEAR(Red(pixels[x]), expected[x], 1) << "pixel " << x;
  device_->SetTexture(0, nullptr);
}

TEST_F(DeviceTest, AFadeQuadOfAlpha128OverWhiteGivesHalfGrey) {
  Clear(0xffffffff);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  // The fade quad draws untextured: stage 0 modulates a texture that is not bound, so diffuse passes.
  const float w = static_cast<float>(width_);
  const float h = static_cast<float>(height_);
  const D3DCOLOR fade = 0x80000000;
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenColorVertex>{{0, 0, 0, 1, fade}, {w, 0, 0, 1, fade}, {0, h, 0, 1, fade},
                                                {w, h, 0, 1, fade}}),
            S_OK);
  for (uint32_t pixel : ReadBackBuffer()) {
    for (int channel : {Red(pixel), Green(pixel), Blue(pixel)}) {
      ASSERT_TRUE(channel == 127 || channel == 128) << std::hex << pixel;
    }
  }
}

TEST_F(DeviceTest, GouraudShadingInterpolatesColourAndAlphaAcrossATriangle) {
  Open(64, 1);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenColorVertex>{{0, -1, 0, 1, 0xff000000}, {64, -1, 0, 1, 0xffff0000},
                                                {0, 2, 0, 1, 0xff000000}, {64, 2, 0, 1, 0xffff0000}}),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (int x = 0; x < 64; ++x) EXPECT_NEAR(Red(pixels[x]), x * 255 / 64, 1) << x;
}

struct StageCase {
  const char* name;
  DWORD op;
  DWORD arg1;
  DWORD arg2;
  uint32_t expected;  // over texel 0xff80c040, diffuse 0xff404080, factor 0xff202020
};

class StageOperations : public DeviceTest, public ::testing::WithParamInterface<StageCase> {};

TEST_P(StageOperations, CombineTheirArguments) {
  const StageCase& c = GetParam();
  Holder<IDirect3DTexture9> texture(MakeArgbTexture(1, 1, [](UINT, UINT) { return 0xff80c040u; }));
  device_->SetTexture(0, texture.Get());
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xff202020);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2, TargetQuad(0xff404080)), S_OK);
  const uint32_t pixel = Pixel(3, 3);
  EXPECT_NEAR(Red(pixel), Red(c.expected), 1) << c.name;
  EXPECT_NEAR(Green(pixel), Green(c.expected), 1) << c.name;
  EXPECT_NEAR(Blue(pixel), Blue(c.expected), 1) << c.name;
  device_->SetTexture(0, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, StageOperations,
    ::testing::Values(StageCase{"select texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x80c040},
                      StageCase{"select diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x404080},
                      StageCase{"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x203020},
                      StageCase{"add saturates", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xc0ffc0},
                      StageCase{"factor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, 0x202020},
                      StageCase{"complement", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE,
                                0x7f3fbf}));

TEST_F(DeviceTest, AStageThatReadsAnUnboundTextureTakesCurrent) {
  // Stage 0 modulates the diffuse colour with nothing: diffuse. Stage 1 selects its (unbound) texture
  // as the glass ball leaves it: the colour of stage 0 passes on.
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenColorVertex>{{0, 0, 0, 1, 0xff3366cc}, {32, 0, 0, 1, 0xff3366cc},
                                                {0, 32, 0, 1, 0xff3366cc}, {32, 32, 0, 1, 0xff3366cc}}),
            S_OK);
  EXPECT_EQ(Pixel(10, 20) & 0xffffff, 0x3366ccu);
}

TEST_F(DeviceTest, ABumpMappedLookupMovesTheSampledTexelByTheBumpMatrix) {
  Open(8, 8);
  struct Case {
    int8_t du, dv;                 // the bump texel
    float m00, m01, m10, m11;      // BUMPENVMAT
    int shiftX, shiftY;            // texels the lookup moves
  };
  const Case cases[] = {
      {0, 0, 1, 0, 0, 1, 0, 0},
      {127, 0, 0.25f, 0, 0, 0.25f, 2, 0},     // du 1 x m00 0.25 = a quarter of 8 texels
      {0, 127, 0.25f, 0, 0, 0.5f, 0, 4},      // dv 1 x m11
      {0, 127, 0, 0, 0.375f, 0, 3, 0},        // dv feeds u through m10
      {-127, 0, 0, -0.125f, 0, 0, 0, 1},      // du feeds v through m01
  };
  Holder<IDirect3DTexture9> picture(MakeArgbTexture(8, 8, CoordinateTexel));
  for (const Case& c : cases) {
    Holder<IDirect3DTexture9> bump(MakeTexture(1, 1, D3DFMT_V8U8, [&](UINT, UINT, uint8_t* texel) {
      texel[0] = static_cast<uint8_t>(c.du);
      texel[1] = static_cast<uint8_t>(c.dv);
    }));
    device_->SetTexture(0, bump.Get());
    device_->SetTexture(1, picture.Get());
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(c.m00));
    device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(c.m01));
    device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(c.m10));
    device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(c.m11));
    SelectTexture(device_, 1);
    device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    // Pixel (x, y) samples texel (x, y) of the picture before the bump moves it.
    ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
                   std::vector<ScreenTexVertex>{{-0.5f, -0.5f, 0, 1, 0, 0, 0}, {7.5f, -0.5f, 0, 1, 0, 1, 0},
                                                {-0.5f, 7.5f, 0, 1, 0, 0, 1}, {7.5f, 7.5f, 0, 1, 0, 1, 1}}),
              S_OK);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const uint32_t pixel = pixels[static_cast<size_t>(y) * 8 + x];
        ASSERT_EQ(Red(pixel) / 32, (x + c.shiftX + 8) % 8) << "bump " << int(c.du) << "," << int(c.dv) << " at " << x;
        ASSERT_EQ(Green(pixel) / 32, (y + c.shiftY + 8) % 8) << "bump " << int(c.du) << "," << int(c.dv) << " at " << y;
      }
    }
  }
  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
}

struct FormatCase {
  const char* name;
  D3DFORMAT format;
  uint32_t raw;       // the texel's bytes, little-endian
  uint32_t expected;  // 0xAARRGGBB as drawn into an A8R8G8B8 target
};

class TextureFormats : public DeviceTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(TextureFormats, SampleAsColourAndAlpha) {
  const FormatCase& c = GetParam();
  Holder<IDirect3DTexture9> target;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, target.Out(),
                                   nullptr),
            S_OK);
  Holder<IDirect3DSurface9> level;
  ASSERT_EQ(target->GetSurfaceLevel(0, level.Out()), S_OK);
  Holder<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetRenderTarget(0, back.Out()), S_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, level.Get()), S_OK);

  // A 1 x 1 texture: its pitch is the bytes of one texel.
  Holder<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, c.format, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  std::memcpy(locked.pBits, &c.raw, std::min<size_t>(static_cast<size_t>(locked.Pitch), 4));
  texture->UnlockRect(0);

  device_->SetTexture(0, texture.Get());
  SelectTexture(device_, 0);
  const std::vector<ScreenTexVertex> quad{{0, 0, 0, 1, 0, 0, 0}, {4, 0, 0, 1, 0, 1, 0}, {0, 4, 0, 1, 0, 0, 1},
                                          {4, 4, 0, 1, 0, 1, 1}};
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2, quad), S_OK);
  const uint32_t pixel = Read(level.Get())[5];
  EXPECT_NEAR(Alpha(pixel), Alpha(c.expected), 1) << c.name;
  EXPECT_NEAR(Red(pixel), Red(c.expected), 1) << c.name;
  EXPECT_NEAR(Green(pixel), Green(c.expected), 1) << c.name;
  EXPECT_NEAR(Blue(pixel), Blue(c.expected), 1) << c.name;
  device_->SetTexture(0, nullptr);
  ASSERT_EQ(device_->SetRenderTarget(0, back.Get()), S_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TextureFormats,
    ::testing::Values(FormatCase{"A8R8G8B8", D3DFMT_A8R8G8B8, 0x80ff4000, 0x80ff4000},
                      FormatCase{"X8R8G8B8 is opaque", D3DFMT_X8R8G8B8, 0x00ff4000, 0xffff4000},
                      FormatCase{"R5G6B5", D3DFMT_R5G6B5, 0xf800 | (0x20 << 5) | 0x1f, 0xffff82ff},
                      FormatCase{"A1R5G5B5 clear", D3DFMT_A1R5G5B5, 0x7c00, 0x00ff0000},
                      FormatCase{"A1R5G5B5 set", D3DFMT_A1R5G5B5, 0x8000 | 0x1f, 0xff0000ff},
                      FormatCase{"A8 is black with alpha", D3DFMT_A8, 0x40, 0x40000000}));

}  // namespace

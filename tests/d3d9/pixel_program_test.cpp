// A pixel program's pixels through the rest of the pixel stage. The usual blend (SRCALPHA and
// INVSRCALPHA) is written out for programs; the same factors given as a separate alpha blend go
// through the general blend, and the two pictures must agree bit for bit.
#include <cstdint>
#include <vector>

#include "device_fixture.h"
#include "platform/d3d9/pixel_program.h"

namespace {

class PixelProgramTest : public DeviceTest {};

uint32_t Hash(UINT x, UINT y, uint32_t salt) {
  uint32_t h = (x * 73856093u) ^ (y * 19349663u) ^ salt;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

TEST_F(PixelProgramTest, TheWrittenOutAlphaBlendMatchesTheGeneralBlend) {
  constexpr UINT kWidth = 97;
  constexpr UINT kHeight = 61;
  Open(kWidth, kHeight);
  // Alphas of every kind, 0 and 255 included, over colours of every kind.
  Holder<IDirect3DTexture9> under(MakeArgbTexture(kWidth, kHeight, [](UINT x, UINT y) { return Hash(x, y, 1); }));
  Holder<IDirect3DTexture9> over(MakeArgbTexture(kWidth, kHeight, [](UINT x, UINT y) {
    const uint32_t c = Hash(x, y, 2);
    return x % 7 == 0 ? c | 0xff000000u : (x % 11 == 0 ? c & 0x00ffffffu : c);
  }));
  const d3d9::PixelProgram copy = [](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                                     d3d9::ColorBlock& out) { sampler.Sample(0, in.u[0], in.v[0], out); };

  auto draw = [&](bool separateAlpha) {
    Holder<IDirect3DTexture9> texture;
    Holder<IDirect3DSurface9> target;
    EXPECT_EQ(device_->CreateTexture(kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     texture.Out(), nullptr),
              S_OK);
    EXPECT_EQ(texture->GetSurfaceLevel(0, target.Out()), S_OK);
    device_->SetRenderTarget(0, target.Get());
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    d3d9::SetPixelProgram(device_, copy);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetTexture(0, under.Get());
    EXPECT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2, TargetQuad(0xffffffffu)),
              S_OK);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, separateAlpha);
    device_->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);
    device_->SetTexture(0, over.Get());
    EXPECT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2, TargetQuad(0xffffffffu)),
              S_OK);
    d3d9::SetPixelProgram(device_, nullptr);
    device_->SetTexture(0, nullptr);
    return Read(target.Get());
  };

  const std::vector<uint32_t> written = draw(false);
  const std::vector<uint32_t> general = draw(true);
  ASSERT_EQ(written.size(), size_t{kWidth} * kHeight);
  ASSERT_EQ(written, general);
  // The picture is a blend of the two, not either one alone.
  size_t blended = 0;
  for (UINT y = 0; y < kHeight; ++y)
    for (UINT x = 0; x < kWidth; ++x) {
      const uint32_t pixel = written[static_cast<size_t>(y) * kWidth + x];
      if (pixel != Hash(x, y, 1) && pixel != Hash(x, y, 2)) ++blended;
    }
  EXPECT_GT(blended, written.size() / 2);
}

}  // namespace
